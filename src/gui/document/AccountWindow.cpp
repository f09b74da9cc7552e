#include "gui/document/AccountWindow.h"

#include "core/model/Trade.h"
#include "gui/document/AccountDocument.h"
#include "gui/document/AccountView.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QSettings>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>

namespace brivel::gui {

AccountWindow::AccountWindow(AccountDocument& document) : m_document(document) {
    setObjectName("accountWindow");
    setAccessibleName(tr("Account window"));
    m_stack = new QStackedWidget(this);
    m_stack->setObjectName("viewStack");
    setCentralWidget(m_stack);
    m_status = new QLabel(this);
    m_status->setObjectName("documentStatus");
    statusBar()->addPermanentWidget(m_status);
    buildMenus();
    connect(&m_document, &AccountDocument::documentStateChanged, this,
            &AccountWindow::updateFromDocument);
    restoreWindowState();
}

AccountWindow::~AccountWindow() = default;

void AccountWindow::buildMenus() {
    m_fileMenu = menuBar()->addMenu(tr("&File"));
    m_fileMenu->setObjectName("fileMenu");
    auto* save = m_fileMenu->addAction(tr("&Save"), this, [this] { m_document.saveDocument(); });
    save->setObjectName("saveAction");
    save->setShortcut(QKeySequence::Save);
    auto* close = m_fileMenu->addAction(tr("&Close"), this, [this] { m_document.close(); });
    close->setObjectName("closeAction");
    close->setShortcut(QKeySequence::Close);
    m_fileMenu->addSeparator();
    auto* trades =
        m_fileMenu->addAction(tr("Export &Trades…"), this, [this] { m_document.tradesToCSV(); });
    trades->setObjectName("exportTradesAction");
    auto* journal =
        m_fileMenu->addAction(tr("Export &Journal…"), this, [this] { m_document.notesToCSV(); });
    journal->setObjectName("exportJournalAction");

    m_editMenu = menuBar()->addMenu(tr("&Edit"));
    m_editMenu->setObjectName("editMenu");
    m_undo = m_editMenu->addAction(tr("&Undo"), this, [this] { undoOrRedo(true); });
    m_undo->setObjectName("undoAction");
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = m_editMenu->addAction(tr("&Redo"), this, [this] { undoOrRedo(false); });
    m_redo->setObjectName("redoAction");
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
    m_editMenu->addSeparator();
    struct Forwarded {
        const char* name;
        QString text;
        QKeySequence::StandardKey key;
        const char* slot;
    };
    for (const Forwarded& f :
         {Forwarded{"cutAction", tr("Cu&t"), QKeySequence::Cut, "cut"},
          Forwarded{"copyAction", tr("&Copy"), QKeySequence::Copy, "copy"},
          Forwarded{"pasteAction", tr("&Paste"), QKeySequence::Paste, "paste"},
          Forwarded{"selectAllAction", tr("Select &All"), QKeySequence::SelectAll, "selectAll"}}) {
        auto* a =
            m_editMenu->addAction(f.text, this, [this, slot = f.slot] { forwardToFocus(slot); });
        a->setObjectName(f.name);
        a->setShortcut(f.key);
        // Text fields and tables handle these keys themselves; the menu item is for the mouse.
        a->setShortcutContext(Qt::WidgetShortcut);
    }

    m_viewMenu = menuBar()->addMenu(tr("&View"));
    m_viewMenu->setObjectName("viewMenu");
}

void AccountWindow::forwardToFocus(const char* slot) {
    if (QWidget* focus = QApplication::focusWidget())
        QMetaObject::invokeMethod(focus, slot);
}

void AccountWindow::buildViews(AccountEnvironment& environment,
                               const std::vector<AccountViewFactory>& views) {
    auto* bar = addToolBar(tr("Views"));
    bar->setObjectName("viewToolBar");
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_viewGroup = new QActionGroup(this);
    m_viewGroup->setExclusive(true);
    for (std::size_t i = 0; i < views.size(); ++i) {
        AccountView* view = views[i].make(environment, m_stack);
        view->setObjectName(views[i].objectName);
        if (view->accessibleName().isEmpty())
            view->setAccessibleName(views[i].title);
        m_stack->addWidget(view);
        m_views.push_back(view);
        connect(view, &AccountView::showTradesRequested, this, &AccountWindow::showTrades);

        auto* action = new QAction(views[i].title, m_viewGroup);
        action->setObjectName(views[i].objectName + "Button");
        action->setCheckable(true);
        if (i < 9)
            action->setShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + int(i))));
        const int index = static_cast<int>(i);
        connect(action, &QAction::triggered, this, [this, index] { changeViewController(index); });
        bar->addAction(action);
        m_viewMenu->addAction(action);
        m_viewActions.push_back(action);
    }
    if (!m_views.empty()) {
        m_current = 0;
        m_stack->setCurrentIndex(0);
        m_viewActions[0]->setChecked(true);
    }
}

bool AccountWindow::commitEditing() {
    if (m_current < 0)
        return true;
    return m_views[static_cast<std::size_t>(m_current)]->commitEditing();
}

bool AccountWindow::changeViewController(int index) {
    if (index < 0 || index >= static_cast<int>(m_views.size()))
        return false;
    if (index != m_current && !commitEditing()) {
        QApplication::beep();
        m_viewActions[static_cast<std::size_t>(m_current)]->setChecked(true);
        return false;
    }
    m_current = index;
    m_stack->setCurrentIndex(index);
    m_viewActions[static_cast<std::size_t>(index)]->setChecked(true);
    return true;
}

void AccountWindow::showTrades(const QList<qint64>& tradeIds) {
    for (std::size_t i = 0; i < m_views.size(); ++i) {
        if (!m_views[i]->listsTrades())
            continue;
        if (changeViewController(static_cast<int>(i)))
            m_views[i]->selectTrades(tradeIds);
        return;
    }
}

void AccountWindow::undoOrRedo(bool undo) {
    // An edit still open in a cell belongs before the undo, as its own step.
    if (!commitEditing()) {
        QApplication::beep();
        return;
    }
    auto& manager = m_document.context().undoManager();
    manager.endEventGroup();
    if (undo ? manager.canUndo() : manager.canRedo()) {
        if (undo)
            manager.undo();
        else
            manager.redo();
    }
    updateFromDocument();
}

void AccountWindow::updateFromDocument() {
    setWindowTitle(m_document.windowTitleForDocumentDisplayName() + QStringLiteral("[*]"));
    const bool edited = m_document.isDocumentEdited();
    setWindowModified(edited);
    auto& manager = m_document.context().undoManager();
    m_undo->setEnabled(manager.canUndo());
    m_redo->setEnabled(manager.canRedo());
    const auto undoName = QString::fromStdString(manager.undoActionName());
    const auto redoName = QString::fromStdString(manager.redoActionName());
    m_undo->setText(undoName.isEmpty() ? tr("&Undo") : tr("&Undo %1").arg(undoName));
    m_redo->setText(redoName.isEmpty() ? tr("&Redo") : tr("&Redo %1").arg(redoName));

    std::size_t trades = 0, open = 0;
    for (auto* object : m_document.context().registeredObjects(model::Trade::entityName())) {
        ++trades;
        if (auto* trade = dynamic_cast<model::Trade*>(object); trade && !trade->isClosedValue())
            ++open;
    }
    const QString count = trades == 1 ? tr("1 trade") : tr("%1 trades").arg(trades);
    m_status->setText(tr("%1, %2 open").arg(count).arg(open) +
                      (edited ? tr(" · unsaved changes") : QString()));
}

QString AccountWindow::settingsGroup() const {
    return QStringLiteral("AccountWindow/") + QString::fromStdString(m_document.supportDirectory());
}

void AccountWindow::restoreWindowState() {
    QSettings settings;
    settings.beginGroup(settingsGroup());
    if (!restoreGeometry(settings.value("geometry").toByteArray()))
        resize(1100, 750);
}

void AccountWindow::saveWindowState() {
    QSettings settings;
    settings.beginGroup(settingsGroup());
    settings.setValue("geometry", saveGeometry());
}

void AccountWindow::closeWithoutPrompt() {
    m_forceClose = true;
    close();
}

void AccountWindow::closeEvent(QCloseEvent* event) {
    if (!m_forceClose && !(commitEditing() && m_document.canCloseDocument())) {
        m_forceClose = false;
        event->ignore();
        return;
    }
    saveWindowState();
    event->accept();
    for (AccountView* view : m_views)
        view->windowWillClose();
    m_document.windowDidClose();
}

} // namespace brivel::gui
