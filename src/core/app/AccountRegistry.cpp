#include "core/app/AccountRegistry.h"

#include "core/app/PreferenceKeys.h"
#include "core/app/SupportFolder.h"
#include "core/model/AccountStore.h"

#include <fmt/format.h>
#include <fstream>
#include <random>
#include <unistd.h>

namespace brivel::app {

namespace fs = std::filesystem;

namespace {

// 50625 codes exist; far fewer draws than that find a free one unless nearly all are taken.
constexpr int MaxDraws = 2000;

void setError(Error* error, std::string description, std::string reason) {
    if (!error)
        return;
    error->domain = errors::FileDomain;
    error->code = errors::FileWriteUnknown;
    error->localizedDescription = std::move(description);
    error->failureReason = std::move(reason);
}

} // namespace

AccountRegistry::AccountRegistry(Preferences& preferences, RandomSource random)
    : m_preferences(preferences), m_random(std::move(random)) {}

std::uint32_t AccountRegistry::draw() {
    if (m_random)
        return m_random();
    static thread_local std::random_device device;
    return device();
}

std::vector<AccountRecord> AccountRegistry::records() const {
    std::vector<AccountRecord> result;
    for (const auto& entry : m_preferences.arrayForKey(prefkeys::ArrayOfAccounts))
        result.push_back(AccountRecord::fromJson(entry));
    return result;
}

std::string AccountRegistry::folderCodeFromDraws(std::uint32_t r1, std::uint32_t r2,
                                                 std::uint32_t r3, std::uint32_t r4) {
    return {static_cast<char>('A' + r4 % 25), static_cast<char>('0' + r3 % 9),
            static_cast<char>('A' + r2 % 25), static_cast<char>('0' + r1 % 9)};
}

std::optional<std::string> AccountRegistry::makeAccountFolder(Error* error) {
    const std::string failed = "The new account could not be created.";
    const auto listed = records();
    std::error_code ec;
    if (!fs::is_directory(SupportFolder::path(), ec)) {
        setError(error, failed,
                 fmt::format("The folder \"{}\" does not exist.", SupportFolder::path().string()));
        return std::nullopt;
    }
    for (int attempt = 0; attempt < MaxDraws; ++attempt) {
        std::uint32_t r1 = draw();
        std::uint32_t r2 = draw();
        std::uint32_t r3 = draw();
        std::uint32_t r4 = draw();
        std::string code = folderCodeFromDraws(r1, r2, r3, r4);

        bool named = false;
        for (const auto& r : listed)
            named = named || r.directory == code;
        if (named)
            continue;
        const fs::path folder = AccountRecord::accountFolder(code);
        if (fs::exists(fs::symlink_status(folder, ec)))
            continue;
        // The marker comes first, so that no moment exists at which a crash leaves an unmarked
        // folder without a record.
        const fs::path marker = newAccountMarker(code);
        if (!std::ofstream(marker)) {
            setError(error, failed,
                     fmt::format("The file \"{}\" cannot be made.", marker.string()));
            return std::nullopt;
        }
        // create_directory reports an existing folder as "not created": someone else was faster.
        if (!fs::create_directory(folder, ec)) {
            fs::remove(marker, ec);
            if (ec) {
                setError(error, failed,
                         fmt::format("The folder \"{}\" cannot be made: {}.", folder.string(),
                                     ec.message()));
                return std::nullopt;
            }
            continue;
        }
        Error storeError;
        if (!model::createEmptyAccountStore(AccountRecord::databasePath(code), &storeError)) {
            fs::remove_all(folder, ec);
            fs::remove(marker, ec);
            setError(error, failed, storeError.message());
            return std::nullopt;
        }
        return code;
    }
    setError(error, failed, "No free folder code was found.");
    return std::nullopt;
}

fs::path AccountRegistry::newAccountMarker(const std::string& folderCode) {
    return SupportFolder::path() /
           fmt::format(".{}.new-{}", folderCode, static_cast<long>(::getpid()));
}

void AccountRegistry::accountRecorded(const std::string& folderCode) {
    std::error_code ec;
    fs::remove(newAccountMarker(folderCode), ec);
}

bool AccountRegistry::removeAccountFolder(const std::string& folderCode,
                                          const std::vector<AccountRecord>& remainingRecords,
                                          Error* error) {
    if (!AccountRecord::isUsableFolderCode(folderCode))
        return true; // names no folder of its own: nothing to remove
    for (const auto& r : remainingRecords)
        if (r.directory == folderCode)
            return true;
    const fs::path folder = AccountRecord::accountFolder(folderCode);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(folder, ec)))
        return true;
    fs::remove_all(folder, ec);
    if (ec) {
        setError(error, "The account's folder could not be removed completely.",
                 fmt::format("\"{}\": {}.", folder.string(), ec.message()));
        return false;
    }
    return true;
}

} // namespace brivel::app
