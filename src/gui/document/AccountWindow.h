#pragma once

#include "gui/document/AccountViewFactory.h"

#include <QMainWindow>
#include <vector>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QStackedWidget;

namespace brivel::gui {

class AccountDocument;
class AccountView;
struct AccountEnvironment;

// The window of one account: a tool bar switching between the views, the view area, a status
// line and the File, Edit and View menus of the document. The application adds its own items.
class AccountWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit AccountWindow(AccountDocument& document);
    ~AccountWindow() override;

    AccountDocument& document() { return m_document; }

    // Makes every view, in order, and shows the first.
    void buildViews(AccountEnvironment& environment, const std::vector<AccountViewFactory>& views);
    // The views, in the order of their buttons.
    const std::vector<AccountView*>& views() const { return m_views; }
    int currentViewIndex() const { return m_current; }
    // The view buttons' actions, in the same order.
    const std::vector<QAction*>& viewActions() const { return m_viewActions; }

    // Switches to the view at index after ending the edit in progress; when that edit cannot be
    // committed, beeps and stays. False when it stayed.
    bool changeViewController(int index);
    // Brings the view that lists trades to the front and selects these trades there.
    void showTrades(const QList<qint64>& tradeIds);
    // Ends the edit in progress of the visible view.
    bool commitEditing();

    // Title, unsaved-changes mark and the Undo and Redo commands, from the document.
    void updateFromDocument();
    void closeWithoutPrompt();

    QMenu* fileMenu() const { return m_fileMenu; }
    QMenu* editMenu() const { return m_editMenu; }
    QMenu* viewMenu() const { return m_viewMenu; }
    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

    // The QSettings group of this account's window state.
    QString settingsGroup() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void restoreWindowState();
    void saveWindowState();
    void undoOrRedo(bool undo);
    void forwardToFocus(const char* slot);

    AccountDocument& m_document;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_status = nullptr;
    QActionGroup* m_viewGroup = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    std::vector<AccountView*> m_views;
    std::vector<QAction*> m_viewActions;
    int m_current = -1;
    bool m_forceClose = false;
};

} // namespace brivel::gui
