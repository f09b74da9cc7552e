#include "cli/AccountSession.h"

#include "cli/DateInput.h"
#include "core/app/StrategyNames.h"
#include "core/model/AccountStore.h"

#include <charconv>

namespace brivel::cli {

namespace {

// The moment the record rules take as "now".
FixedClock clockAt(const std::optional<std::string>& date) {
    if (!date)
        return FixedClock(SystemClock().now());
    return FixedClock(*parseInputDate(*date)); // checked by the option's validator
}

} // namespace

AccountSession::AccountSession(const std::string& codeOrName, const std::optional<std::string>& now,
                               bool assumeYes, Access access)
    : m_account(resolveAccount(codeOrName)), m_clock(clockAt(now)), m_prompter(assumeYes) {
    if (access == Writes)
        m_lock = lockAccount(m_account);
    Error error;
    m_context = model::openAccountStore(m_account.databasePath, &error);
    if (!m_context)
        throw CliFailure(fmt::format("cannot open the account \"{}\": {}", m_account.folderCode,
                                     error.message()));
}

controllers::TradeArrayController AccountSession::trades() {
    return controllers::TradeArrayController(*m_context, m_clock, m_prompter, m_account.folderCode);
}

controllers::LogArrayController AccountSession::journal() {
    return controllers::LogArrayController(*m_context, m_clock, m_prompter,
                                           [] { return app::indexNames(preparedPreferences()); });
}

store::ManagedObject* AccountSession::find(const std::string& id, const std::string& entity) const {
    store::ObjectID value = 0;
    const char* end = id.data() + id.size();
    auto [ptr, ec] = std::from_chars(id.data(), end, value);
    store::ManagedObject* found =
        ec == std::errc() && ptr == end ? m_context->objectWithID(value) : nullptr;
    return found && found->entityName() == entity ? found : nullptr;
}

void AccountSession::save() {
    m_context->manualScheduler().runUntilIdle();
    Error error;
    if (!m_context->save(&error))
        throw CliFailure(fmt::format("the account could not be saved: {}", error.message()));
}

} // namespace brivel::cli
