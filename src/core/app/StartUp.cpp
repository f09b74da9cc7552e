#include "core/app/StartUp.h"

#include "core/app/AccountRecord.h"
#include "core/app/FactoryPreferences.h"
#include "core/app/LeftoverCleanup.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/SupportFolder.h"
#include "core/model/AccountStore.h"
#include "core/platform/SystemLog.h"

#include <algorithm>
#include <fmt/format.h>

namespace brivel::app {

namespace fs = std::filesystem;

namespace {

// Anything at all, a dangling link or a plain file included.
bool somethingAt(const fs::path& p) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(p, ec));
}

} // namespace

StartUp::Result StartUp::run(Preferences& preferences) {
    prepare(preferences);
    return Result{accountsToOpen(preferences)};
}

void StartUp::prepare(Preferences& preferences) {
    preferences.registerDefaults(FactoryPreferences::dictionary());

    const fs::path support = SupportFolder::path();
    const fs::path older = SupportFolder::olderPath();

    // A move never replaces: with both folders present the older one stays for a later start.
    if (somethingAt(older) && !somethingAt(support)) {
        std::error_code ec;
        fs::rename(older, support, ec);
        if (ec)
            systemLog().log(fmt::format("Unable to move \"{}\" to \"{}\": {}", older.string(),
                                        support.string(), ec.message()));
    }

    const fs::path defaultFolder = AccountRecord::accountFolder(AccountRecord::DefaultFolderCode);
    if (!somethingAt(defaultFolder)) {
        std::error_code ec;
        fs::create_directories(defaultFolder, ec);
        if (ec)
            systemLog().log(
                fmt::format("Unable to create \"{}\": {}", defaultFolder.string(), ec.message()));
    }

    const fs::path database = AccountRecord::databasePath(AccountRecord::DefaultFolderCode);
    if (!somethingAt(database)) {
        Error error;
        if (!model::createEmptyAccountStore(database, &error))
            systemLog().log(
                fmt::format("Unable to create \"{}\": {}", database.string(), error.message()));
    }

    LeftoverCleanup::run(preferences);
}

std::vector<fs::path> StartUp::accountsToOpen(const Preferences& preferences) {
    std::vector<fs::path> paths;
    for (const auto& entry : preferences.arrayForKey(prefkeys::ArrayOfAccounts)) {
        AccountRecord record = AccountRecord::fromJson(entry);
        if (!record.opensAtStart() || !AccountRecord::isUsableFolderCode(record.directory))
            continue;
        fs::path p = AccountRecord::databasePath(record.directory);
        // Opening an open account again only brings its window forward: list it once.
        if (std::find(paths.begin(), paths.end(), p) == paths.end())
            paths.push_back(std::move(p));
    }
    return paths;
}

} // namespace brivel::app
