#include "cli/AccountResolution.h"

#include "cli/CliSupport.h"
#include "core/app/AccountRecord.h"
#include "core/app/AccountRegistry.h"

#include <fmt/format.h>
#include <vector>

namespace brivel::cli {

ResolvedAccount resolveAccount(const std::string& codeOrName) {
    app::AccountRegistry registry(preparedPreferences());
    const std::vector<app::AccountRecord> records = registry.records();
    auto resolved = [&](std::size_t i) {
        return ResolvedAccount{i, records[i].directory, records[i].name,
                               app::AccountRecord::databasePath(records[i].directory)};
    };
    // A folder code first: codes are unique, names need not be.
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].directory == codeOrName &&
            app::AccountRecord::isUsableFolderCode(codeOrName))
            return resolved(i);

    std::vector<std::size_t> named;
    for (std::size_t i = 0; i < records.size(); ++i)
        if (records[i].name == codeOrName)
            named.push_back(i);
    if (named.size() == 1) {
        if (!app::AccountRecord::isUsableFolderCode(records[named[0]].directory))
            throw CliFailure(
                fmt::format("the account \"{}\" has no usable folder code", codeOrName));
        return resolved(named[0]);
    }
    if (named.empty())
        throw CliFailure(fmt::format("no account has the folder code or name \"{}\" (see "
                                     "\"brivel-cli accounts list\")",
                                     codeOrName));
    std::string codes;
    for (std::size_t i : named)
        codes += (codes.empty() ? "" : ", ") + records[i].directory;
    throw CliFailure(fmt::format("{} accounts are named \"{}\"; name one by its folder code ({})",
                                 named.size(), codeOrName, codes));
}

std::filesystem::path resolveAccountDatabase(const std::string& codeOrName) {
    return resolveAccount(codeOrName).databasePath;
}

app::AccountLock lockAccount(const ResolvedAccount& account) {
    Error error;
    auto lock = app::AccountLock::acquireForCommand(
        app::AccountRecord::accountFolder(account.folderCode), &error);
    if (!lock)
        throw CliFailure(error.message());
    return std::move(*lock);
}

void editPreferences(const std::function<void()>& change) {
    app::Preferences& preferences = preparedPreferences();
    Error error;
    if (!preferences.beginEdit(&error))
        throw CliFailure(error.message());
    try {
        change();
        savePreferences();
    } catch (...) {
        preferences.endEdit();
        throw;
    }
    preferences.endEdit();
}

void savePreferences() {
    Error error;
    if (!preparedPreferences().synchronize(&error))
        throw CliFailure(error.message());
}

} // namespace brivel::cli
