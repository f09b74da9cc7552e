#pragma once

#include <QMainWindow>
#include <memory>
#include <thread>

#ifndef Q_MOC_RUN
#include "core/app/AccountArrayController.h"
#include "core/app/AccountBackup.h"
#include "core/app/AccountCommands.h"
#endif

class QMenu;
class QProgressDialog;
class QPushButton;
class QHBoxLayout;
class QTableView;

namespace brivel::gui {

class AccountsTableModel;
class AppController;

// The accounts window: the accounts table (name edited in place, "open" as a check box), add
// and delete, open, and backup and restore of the selected account. Backup and restore run
// their archive tool on a worker thread behind a busy indicator; the window keeps painting.
class AccountsWindowController : public QMainWindow, private controllers::ArrayControllerListener {
    Q_OBJECT
public:
    explicit AccountsWindowController(AppController& app);
    ~AccountsWindowController() override;

    app::AccountArrayController& accountArrayController() { return *m_controller; }
    QTableView* table() const { return m_table; }
    QMenu* contextMenu() const { return m_contextMenu; }
    bool isArchiveToolRunning() const { return m_busy != nullptr; }

    void addAccount();
    void removeAccount();
    void openAccount();
    void backupAccount();
    void restoreAccount();
    // The context menu's row rule, then the menu at the pointer.
    void showContextMenu(const QPoint& position);

signals:
    // A backup or restore finished and its result panel was dismissed.
    void archiveToolFinished();

private:
    QTableView* buildTable(QWidget* parent);
    QHBoxLayout* buildButtons(QWidget* parent);
    void buildContextMenu();
    void selectionChanged() override;
    void updateButtons();
    void startBusy(const QString& text);
    void endBusy();
    void finishBackup(app::ArchiveOutcome outcome);
    void finishRestore(std::shared_ptr<app::StagedRestore> staged);

    AppController& m_app;
    std::unique_ptr<Prompter> m_prompter;
    std::unique_ptr<app::AccountArrayController> m_controller;
    std::unique_ptr<app::AccountCommands> m_commands;
    AccountsTableModel* m_model = nullptr;
    QTableView* m_table = nullptr;
    QMenu* m_contextMenu = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_backupButton = nullptr;
    QPushButton* m_restoreButton = nullptr;
    QProgressDialog* m_busy = nullptr;
    bool m_syncing = false;
    std::jthread m_worker;
};

} // namespace brivel::gui
