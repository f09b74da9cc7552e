#include "gui/document/AccountDocument.h"

#include "core/app/AccountRecord.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/StrategyNames.h"
#include "core/export/CSVHandler.h"
#include "core/model/AccountStore.h"
#include "core/platform/SystemLog.h"
#include "gui/document/AccountWindow.h"
#include "gui/document/EventGroupCloser.h"

#include <fmt/format.h>

namespace brivel::gui {

namespace {

constexpr int ValidationFirst = 1024;
constexpr int ValidationLast = 2047;

std::string folderNameOf(const std::filesystem::path& databasePath) {
    std::string code = app::AccountRecord::folderCodeOfDocumentPath(databasePath.string());
    if (!code.empty())
        return code;
    return databasePath.parent_path().filename().string();
}

} // namespace

std::unique_ptr<AccountDocument> AccountDocument::open(const std::filesystem::path& databasePath,
                                                       DocumentServices& services,
                                                       std::unique_ptr<Scheduler> scheduler,
                                                       Error* error) {
    // Held from before the load for as long as the window is open: a brivel-cli command that
    // would write the account is refused instead of saving over it or being saved over.
    auto lock = app::AccountLock::acquireForApplication(databasePath.parent_path(), error);
    if (!lock)
        return nullptr;
    auto context = model::openAccountStore(databasePath, error);
    if (!context)
        return nullptr;
    auto document = std::unique_ptr<AccountDocument>(
        new AccountDocument(databasePath, std::move(context), services, std::move(scheduler)));
    document->m_lock = std::move(*lock);
    return document;
}

AccountDocument::AccountDocument(std::filesystem::path path,
                                 std::unique_ptr<store::ObjectContext> context,
                                 DocumentServices& services, std::unique_ptr<Scheduler> scheduler)
    : m_path(std::move(path)), m_folderCode(folderNameOf(m_path)), m_services(services),
      m_context(std::move(context)), m_scheduler(std::move(scheduler)) {
    if (m_scheduler)
        m_context->setScheduler(m_scheduler.get());
    m_grouper = new EventGroupCloser(*m_context, this);
    connect(m_grouper, &EventGroupCloser::eventEnded, this, &AccountDocument::documentStateChanged);

    m_window = std::make_unique<AccountWindow>(*this);
    m_prompter = services.dialogs.makePrompter(m_window.get());
    m_environment.reset(new AccountEnvironment{*m_context, services.preferences, m_clock,
                                               *m_prompter, m_folderCode, m_path, m_window.get()});
    m_window->buildViews(*m_environment, services.views);
    if (services.decorateWindow)
        services.decorateWindow(*m_window);
    m_window->updateFromDocument();
}

AccountDocument::~AccountDocument() {
    // Views first (they observe the context), then pending deferred work, then the records.
    m_window.reset();
    m_context->setScheduler(nullptr);
    m_scheduler.reset();
}

bool AccountDocument::isDocumentEdited() const {
    return m_context->hasChanges();
}

QString AccountDocument::windowTitleForDocumentDisplayName() const {
    const std::string folder = m_path.parent_path().filename().string();
    std::string name;
    bool found = false;
    for (const auto& entry : m_services.preferences.arrayForKey(app::prefkeys::ArrayOfAccounts)) {
        auto record = app::AccountRecord::fromJson(entry);
        if (record.directory == folder) {
            name = record.name;
            found = true;
            break;
        }
    }
    if (!found)
        name = folder.empty() ? m_path.filename().string() : folder;
    return QStringLiteral("Brivel Trade Journal - %1").arg(QString::fromStdString(name));
}

bool AccountDocument::saveDocument() {
    if (!m_window->commitEditing())
        return false;
    Error error;
    const bool saved = m_context->save(&error);
    if (!saved)
        presentError(error);
    emit documentStateChanged();
    return saved;
}

bool AccountDocument::canCloseDocument() {
    if (!isDocumentEdited())
        return true;
    switch (m_services.dialogs.askSaveChanges(m_window.get())) {
    case Dialogs::SaveChangesAnswer::Save:
        return saveDocument();
    case Dialogs::SaveChangesAnswer::DontSave:
        return true;
    case Dialogs::SaveChangesAnswer::Cancel:
        return false;
    }
    return false;
}

bool AccountDocument::close() {
    if (m_closed)
        return true;
    m_window->close();
    return m_closed;
}

void AccountDocument::closeWithoutPrompt() {
    if (m_closed)
        return;
    m_window->closeWithoutPrompt();
}

void AccountDocument::windowDidClose() {
    m_closed = true;
    // A closed window writes nothing more: let a restore or a reopening have the account now,
    // not when the document object is finally deleted.
    m_lock.release();
    emit documentClosed(this);
}

Error AccountDocument::willPresentError(const Error& error) {
    if (error.domain != errors::ValidationDomain || error.code < ValidationFirst ||
        error.code > ValidationLast || error.code != errors::ValidationMultipleErrors)
        return error;
    std::string message = "Cannot save because some required fields may be missing.\n\n";
    const auto& details = error.detailedErrors;
    if (details.size() > 3)
        message += "The first 3 are:\n";
    for (std::size_t i = 0; i < details.size() && i < 3; ++i)
        message += fmt::format("{}\n", details[i].localizedDescription);
    Error rewritten = error;
    rewritten.localizedDescription = std::move(message);
    return rewritten;
}

void AccountDocument::presentError(const Error& error) {
    Error shown = willPresentError(error);
    std::string detail =
        shown.recoverySuggestion.empty() ? shown.failureReason : shown.recoverySuggestion;
    m_prompter->alert(shown.localizedDescription, detail);
}

void AccountDocument::tradesToCSV() {
    exportCsv(true);
}
void AccountDocument::notesToCSV() {
    exportCsv(false);
}

void AccountDocument::exportCsv(bool trades) {
    auto path = m_services.dialogs.savePanel(
        m_window.get(),
        {trades ? tr("Export Trades") : tr("Export Journal"), "csv", "Save CSV as:"});
    if (!path)
        return;
    app::Preferences& preferences = m_services.preferences;
    exporting::CSVHandler handler([&preferences](std::int64_t position) {
        return app::strategyNameAt(preferences.arrayForKey(app::prefkeys::ArrayOfStrategies),
                                   position);
    });
    std::optional<Error> failure = trades ? handler.writeTradesTo(*path, *m_context)
                                          : handler.writeJournalTo(*path, *m_context);
    if (failure)
        m_prompter->alert("Export Failed", failure->message());
}

} // namespace brivel::gui
