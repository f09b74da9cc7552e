#include "gui/app/AppController.h"

#include "core/app/AccountRecord.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/StartUp.h"
#include "core/platform/SystemLog.h"
#include "gui/app/AboutPanelController.h"
#include "gui/app/AccountsWindowController.h"
#include "gui/app/DocumentRegistry.h"
#include "gui/app/ImportTrades.h"
#include "gui/app/PreferencesController.h"
#include "gui/document/AccountWindow.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <fmt/format.h>

namespace brivel::gui {

AppController::AppController(app::Preferences& preferences, Dialogs& dialogs,
                             std::vector<AccountViewFactory> views, QObject* parent)
    : QObject(parent), m_preferences(preferences), m_dialogs(dialogs),
      m_prompter(dialogs.makePrompter(nullptr)), m_services{preferences, dialogs, std::move(views),
                                                            [this](AccountWindow& window) {
                                                                decorateAccountWindow(window);
                                                            }},
      m_registry(std::make_unique<DocumentRegistry>(m_services)),
      m_backup(std::make_unique<app::AccountBackup>(m_runner)) {
    m_accounts = std::make_unique<app::AccountArrayController>(
        preferences, *m_prompter,
        [this](const std::filesystem::path& path) { m_registry->closeDocument(path); });
}

AppController::~AppController() {
    delete m_accountsWindow.data();
    delete m_preferencesWindow.data();
    delete m_aboutPanel.data();
    m_registry.reset();
}

AccountsWindowController* AppController::accountsWindowController() const {
    return m_accountsWindow.data();
}
PreferencesController* AppController::preferencesController() const {
    return m_preferencesWindow.data();
}
AboutPanelController* AppController::aboutPanelController() const {
    return m_aboutPanel.data();
}

void AppController::setArchiveTools(std::string zipTool, std::string unzipTool) {
    m_backup =
        std::make_unique<app::AccountBackup>(m_runner, std::move(zipTool), std::move(unzipTool));
}

void AppController::applicationDidFinishLaunching() {
    const app::StartUp::Result result = app::StartUp::run(m_preferences);
    for (const auto& path : result.accountsToOpen)
        openDocument(path, false);
    if (m_registry->documents().empty())
        showAccountsPanel();
}

AccountDocument* AppController::openDocument(const std::filesystem::path& databasePath,
                                             bool report) {
    Error error;
    AccountDocument* document = m_registry->openDocument(databasePath, &error);
    if (document)
        return document;
    systemLog().log(
        fmt::format("Unable to open \"{}\": {}", databasePath.string(), error.message()));
    if (report)
        m_prompter->alert("The account could not be opened.", error.message());
    return nullptr;
}

void AppController::menuNeedsUpdate(QMenu* menu) {
    menu->clear();
    const auto& arranged = m_accounts->arrangedObjects();
    for (std::size_t i = 0; i < arranged.size(); ++i) {
        const auto name = arranged[i]->valueForKey(app::prefkeys::AccountName);
        // "&" would otherwise turn the next letter into a mnemonic.
        QString title = QString::fromStdString(name.isNull() ? std::string() : name.toString());
        auto* item = menu->addAction(title.replace('&', QStringLiteral("&&")));
        item->setData(static_cast<int>(i));
        const int position = static_cast<int>(i);
        connect(item, &QAction::triggered, this, [this, position] { openAccount(position); });
    }
}

void AppController::openAccount(int position) {
    const auto& arranged = m_accounts->arrangedObjects();
    if (position < 0 || static_cast<std::size_t>(position) >= arranged.size())
        return;
    const auto directory =
        arranged[static_cast<std::size_t>(position)]->valueForKey(app::prefkeys::AccountDirectory);
    const std::string code = directory.isNull() ? std::string() : directory.toString();
    if (!app::AccountRecord::isUsableFolderCode(code))
        return;
    openDocument(app::AccountRecord::databasePath(code), true);
}

void AppController::showPreferences() {
    if (!m_preferencesWindow)
        m_preferencesWindow = new PreferencesController(m_preferences);
    m_preferencesWindow->show();
    m_preferencesWindow->raise();
    m_preferencesWindow->activateWindow();
}

void AppController::showAccountsPanel() {
    if (!m_accountsWindow) {
        m_accountsWindow = new AccountsWindowController(*this);
        addApplicationMenus(m_accountsWindow->menuBar(), nullptr, nullptr, nullptr);
    }
    m_accountsWindow->show();
    m_accountsWindow->raise();
    m_accountsWindow->activateWindow();
}

void AppController::showAboutPanel() {
    if (!m_aboutPanel)
        m_aboutPanel = new AboutPanelController();
    m_aboutPanel->show();
    m_aboutPanel->raise();
    m_aboutPanel->activateWindow();
}

bool AppController::quit() {
    for (AccountDocument* document : m_registry->documents())
        if (!document->close())
            return false;
    for (QWidget* w : {static_cast<QWidget*>(m_accountsWindow.data()),
                       static_cast<QWidget*>(m_preferencesWindow.data()),
                       static_cast<QWidget*>(m_aboutPanel.data())})
        if (w)
            w->close();
    QCoreApplication::quit();
    return true;
}

void AppController::handleRequest(const QStringList& arguments) {
    for (const QString& argument : arguments)
        if (argument.endsWith(QLatin1String(".brdb"))) {
            openDocument(argument.toStdString(), true);
            return;
        }
    QWidget* front = QApplication::activeWindow();
    if (!front) {
        auto docs = m_registry->documents();
        if (!docs.empty())
            front = &docs.back()->window();
    }
    if (!front) {
        showAccountsPanel();
        return;
    }
    front->show();
    front->raise();
    front->activateWindow();
}

void AppController::decorateAccountWindow(AccountWindow& window) {
    addApplicationMenus(window.menuBar(), window.fileMenu(), window.editMenu(), &window.document());
}

void AppController::addApplicationMenus(QMenuBar* bar, QMenu* fileMenu, QMenu* editMenu,
                                        AccountDocument* document) {
    if (!fileMenu) {
        fileMenu = new QMenu(tr("&File"), bar);
        fileMenu->setObjectName("fileMenu");
        bar->insertMenu(bar->actions().value(0), fileMenu);
    }
    QAction* first = fileMenu->actions().value(0);
    auto* openMenu = new QMenu(tr("&Open Account"), fileMenu);
    openMenu->setObjectName("openAccountsMenu");
    connect(openMenu, &QMenu::aboutToShow, this, [this, openMenu] { menuNeedsUpdate(openMenu); });
    fileMenu->insertMenu(first, openMenu);
    auto* accounts = new QAction(tr("&Accounts…"), fileMenu);
    accounts->setObjectName("showAccountsAction");
    connect(accounts, &QAction::triggered, this, &AppController::showAccountsPanel);
    fileMenu->insertAction(first, accounts);
    if (first)
        fileMenu->insertSeparator(first);

    if (document) {
        auto* import = new QAction(tr("&Import Trades…"), fileMenu);
        import->setObjectName("importTradesAction");
        import->setEnabled(isImportTradesAvailable());
        connect(import, &QAction::triggered, document,
                [document] { importTrades(*document, &document->window()); });
        QAction* exportTrades = nullptr;
        for (QAction* a : fileMenu->actions())
            if (a->objectName() == QLatin1String("exportTradesAction"))
                exportTrades = a;
        fileMenu->insertAction(exportTrades, import);
    }
    fileMenu->addSeparator();
    auto* quitAction = fileMenu->addAction(tr("&Quit"), this, [this] { quit(); });
    quitAction->setObjectName("quitAction");
    quitAction->setShortcut(QKeySequence::Quit);
    quitAction->setMenuRole(QAction::QuitRole);

    if (!editMenu) {
        editMenu = bar->addMenu(tr("&Edit"));
        editMenu->setObjectName("editMenu");
    } else {
        editMenu->addSeparator();
    }
    auto* preferences =
        editMenu->addAction(tr("&Preferences…"), this, &AppController::showPreferences);
    preferences->setObjectName("showPreferencesAction");
    preferences->setShortcut(QKeySequence::Preferences);
    preferences->setMenuRole(QAction::PreferencesRole);

    QMenu* help = bar->addMenu(tr("&Help"));
    help->setObjectName("helpMenu");
    auto* about =
        help->addAction(tr("&About Brivel Trade Journal"), this, &AppController::showAboutPanel);
    about->setObjectName("showAboutAction");
    about->setMenuRole(QAction::AboutRole);
}

} // namespace brivel::gui
