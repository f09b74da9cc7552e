#pragma once

#include "gui/document/AccountViewFactory.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>
#include <vector>

#ifndef Q_MOC_RUN
#include "core/app/AccountArrayController.h"
#include "core/app/AccountBackup.h"
#include "core/app/Preferences.h"
#include "core/platform/ProcessRunner.h"
#include "gui/document/AccountDocument.h"
#include "gui/document/Dialogs.h"
#endif

class QMenu;
class QMenuBar;

namespace brivel::gui {

class AboutPanelController;
class AccountWindow;
class AccountsWindowController;
class DocumentRegistry;
class PreferencesController;

// The application: start-up, the open-accounts menu, the Preferences, Accounts and About
// windows (each made once, on first use), the documents and quitting.
class AppController : public QObject {
    Q_OBJECT
public:
    AppController(app::Preferences& preferences, Dialogs& dialogs,
                  std::vector<AccountViewFactory> views, QObject* parent = nullptr);
    ~AppController() override;

    // The start-up sequence, then every account marked open, in list order. With nothing to
    // open, the accounts window comes up: an application without any window could not be
    // reached at all.
    void applicationDidFinishLaunching();

    // Rebuilds the open-accounts menu: one item per account, in list order, its position as
    // its data.
    void menuNeedsUpdate(QMenu* menu);
    // Opens the account at a position of the accounts list, displayed.
    void openAccount(int position);
    // Opens an account database; an open one comes to the front. A failure is shown when
    // the user asked for it (report) and only logged at start-up.
    AccountDocument* openDocument(const std::filesystem::path& databasePath, bool report);

    void showPreferences();
    void showAccountsPanel();
    void showAboutPanel();

    // Asks about every edited account in turn; stops when one is cancelled. True when the
    // application quit.
    bool quit();
    // A second start handed its command line over: open the database named, else come forward.
    void handleRequest(const QStringList& arguments);

    // The application's menu items in a window's menu bar (account windows and the accounts
    // window): the open-accounts menu, Accounts, Import Trades, Quit, Preferences, About.
    void addApplicationMenus(QMenuBar* bar, QMenu* fileMenu, QMenu* editMenu,
                             AccountDocument* document);

    DocumentRegistry& documents() { return *m_registry; }
    app::Preferences& preferences() { return m_preferences; }
    app::AccountArrayController& accountArrayController() { return *m_accounts; }
    const app::AccountBackup& backup() const { return *m_backup; }
    Dialogs& dialogs() { return m_dialogs; }
    // Each made on first show; null before.
    AccountsWindowController* accountsWindowController() const;
    PreferencesController* preferencesController() const;
    AboutPanelController* aboutPanelController() const;

    // Replaces the process runner of backup and restore (tests use a fake tool).
    void setArchiveTools(std::string zipTool, std::string unzipTool);

private:
    void decorateAccountWindow(AccountWindow& window);

    app::Preferences& m_preferences;
    Dialogs& m_dialogs;
    std::unique_ptr<Prompter> m_prompter;
    DocumentServices m_services;
    std::unique_ptr<DocumentRegistry> m_registry;
    std::unique_ptr<app::AccountArrayController> m_accounts;
    PosixProcessRunner m_runner;
    std::unique_ptr<app::AccountBackup> m_backup;
    QPointer<AccountsWindowController> m_accountsWindow;
    QPointer<PreferencesController> m_preferencesWindow;
    QPointer<AboutPanelController> m_aboutPanel;
};

} // namespace brivel::gui
