#pragma once

#include "gui/document/AccountViewFactory.h"

#include <QObject>
#include <QString>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#ifndef Q_MOC_RUN
#include "core/app/AccountLock.h"
#include "core/app/Preferences.h"
#include "core/platform/Clock.h"
#include "core/platform/Error.h"
#include "core/platform/Scheduler.h"
#include "core/store/ObjectContext.h"
#include "gui/document/AccountEnvironment.h"
#include "gui/document/Dialogs.h"
#endif

namespace brivel::gui {

class AccountWindow;
class EventGroupCloser;

// What every account document gets from the application.
struct DocumentServices {
    app::Preferences& preferences;
    Dialogs& dialogs;
    std::vector<AccountViewFactory> views;
    // Adds the application's own menu items (open accounts, quit, ...) to a new window.
    std::function<void(AccountWindow&)> decorateWindow;
};

// One open account: its object context over "database.brdb", the clock, the prompter and the
// main-loop scheduler of its records, and its one window. The document never writes the store
// except through the context's save.
class AccountDocument : public QObject {
    Q_OBJECT
public:
    // Opens the account database and builds the window (not shown yet). Nothing when the file
    // cannot be opened as an account; error says why.
    static std::unique_ptr<AccountDocument> open(const std::filesystem::path& databasePath,
                                                 DocumentServices& services,
                                                 std::unique_ptr<Scheduler> scheduler,
                                                 Error* error);
    ~AccountDocument() override;

    store::ObjectContext& context() { return *m_context; }
    AccountEnvironment& environment() { return *m_environment; }
    AccountWindow& window() { return *m_window; }
    Prompter& prompter() { return *m_prompter; }
    const std::filesystem::path& databasePath() const { return m_path; }
    // The folder code: the name of the folder holding the database.
    const std::string& supportDirectory() const { return m_folderCode; }

    bool isDocumentEdited() const;
    // "Brivel Trade Journal - NAME", NAME from the account record naming this folder; a database
    // outside every record is named by its folder (or file) name instead.
    QString windowTitleForDocumentDisplayName() const;

    // Ends the edit in progress and saves; a failure is presented and leaves the changes.
    bool saveDocument();
    // The close prompt: true when the document may close (no edits, saved, or "Don't Save").
    bool canCloseDocument();
    // Closes the window after the close prompt; false when the user kept it open.
    bool close();
    // Closes at once without asking; unsaved edits are dropped.
    void closeWithoutPrompt();

    void tradesToCSV();
    void notesToCSV();

    // Several validation failures at once become one readable message listing the first three.
    static Error willPresentError(const Error& error);
    void presentError(const Error& error);

signals:
    // The window has closed: the document is done and may be deleted.
    void documentClosed(brivel::gui::AccountDocument* document);
    // After every user event that changed the records, and after a save.
    void documentStateChanged();

private:
    AccountDocument(std::filesystem::path path, std::unique_ptr<store::ObjectContext> context,
                    DocumentServices& services, std::unique_ptr<Scheduler> scheduler);
    void exportCsv(bool trades);
    friend class AccountWindow;
    void windowDidClose();

    // Declared first so that it is let go last, after the records.
    app::AccountLock m_lock;
    std::filesystem::path m_path;
    std::string m_folderCode;
    DocumentServices& m_services;
    std::unique_ptr<store::ObjectContext> m_context;
    std::unique_ptr<Scheduler> m_scheduler;
    SystemClock m_clock;
    std::unique_ptr<Prompter> m_prompter;
    std::unique_ptr<AccountEnvironment> m_environment;
    EventGroupCloser* m_grouper = nullptr;
    std::unique_ptr<AccountWindow> m_window;
    bool m_closed = false;
};

} // namespace brivel::gui
