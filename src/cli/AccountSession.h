#pragma once

#include "cli/AccountResolution.h"
#include "cli/CliSupport.h"
#include "core/app/AccountLock.h"
#include "core/controllers/LogArrayController.h"
#include "core/controllers/TradeArrayController.h"
#include "core/platform/Clock.h"
#include "core/store/ObjectContext.h"

#include <fmt/format.h>
#include <memory>
#include <optional>
#include <string>

namespace brivel::cli {

// One account, opened for one command, with the moment the record rules take as "now" and the
// way confirmations are answered; it makes the list controllers the commands go through.
class AccountSession {
public:
    // Read-only commands take no lock, so that they work while the account is open elsewhere.
    enum Access { Writes, ReadsOnly };

    // now: the --date / --time of the command (already checked), else the current time. A
    // writing session holds the account lock from before the load until it ends, after the
    // save: nothing another writer saves in between is overwritten from a stale copy.
    explicit AccountSession(const std::string& codeOrName,
                            const std::optional<std::string>& now = std::nullopt,
                            bool assumeYes = false, Access access = Writes);

    store::ObjectContext& context() { return *m_context; }
    FixedClock& clock() { return m_clock; }
    controllers::TradeArrayController trades();
    controllers::LogArrayController journal();

    // The record of that entity with that id; CliFailure when there is none.
    template <class T> T* record(const std::string& id, const char* what) {
        auto* typed = dynamic_cast<T*>(find(id, T::entityName()));
        if (!typed)
            throw CliFailure(fmt::format("the account has no {} with the id \"{}\"", what, id));
        return typed;
    }

    // Lets the deferred work of the change run (a trade's re-evaluation), then saves.
    void save();

private:
    store::ManagedObject* find(const std::string& id, const std::string& entity) const;

    ResolvedAccount m_account;
    app::AccountLock m_lock;
    std::unique_ptr<store::ObjectContext> m_context;
    FixedClock m_clock;
    TerminalPrompter m_prompter;
};

} // namespace brivel::cli
