#include "core/app/LeftoverCleanup.h"

#include "core/app/AccountLock.h"
#include "core/app/AccountRecord.h"
#include "core/app/AccountRegistry.h"
#include "core/app/PreferencesLock.h"
#include "core/app/SupportFolder.h"
#include "core/platform/SystemLog.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <fmt/format.h>
#include <optional>
#include <set>

namespace brivel::app {

namespace fs = std::filesystem;

namespace {

using Removed = std::vector<fs::path>;

void removeAll(const fs::path& p, Removed& removed) {
    std::error_code ec;
    fs::remove_all(p, ec);
    if (ec)
        systemLog().log(fmt::format("Unable to remove \"{}\": {}", p.string(), ec.message()));
    else
        removed.push_back(p);
}

// The process id in "PREFIX<pid>" or "PREFIX<pid>-<UUID>[.zip]"; nothing for other names, an
// older release's "PREFIX<UUID>" among them.
std::optional<long> pidAfter(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix))
        return std::nullopt;
    std::string_view rest = name.substr(prefix.size());
    if (rest.ends_with(".zip"))
        rest.remove_suffix(4);
    long pid = 0;
    auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (ec != std::errc() || end == rest.data())
        return std::nullopt;
    std::string_view after = rest.substr(static_cast<std::size_t>(end - rest.data()));
    constexpr std::size_t UuidLength = 36;
    if (after.empty() || (after.size() == UuidLength + 1 && after.front() == '-'))
        return pid;
    return std::nullopt;
}

// ".CODE.<kind>-..." work folders of restores and backups.
void cleanWorkFolder(const fs::path& support, const std::string& name, Removed& removed) {
    if (name.size() < 7 || name[5] != '.')
        return;
    const std::string code = name.substr(1, 4);
    for (std::string_view kind : {"restore-", "replaced-", "backup-"}) {
        std::string prefix = "." + code + "." + std::string(kind);
        if (!name.starts_with(prefix))
            continue;
        if (auto pid = pidAfter(name, prefix)) {
            if (!LeftoverCleanup::processAlive(*pid))
                removeAll(support / name, removed);
        } else if (auto lock = AccountLock::tryAcquire(support / code)) {
            // An older release named them without its process; it held no lock either, so a
            // free lock is the best sign that nobody works on the account.
            removeAll(support / name, removed);
        }
        return;
    }
}

void cleanNewAccount(const fs::path& support, const std::string& name,
                     const std::set<std::string>& recorded, Removed& removed) {
    const std::string code = name.substr(1, 4);
    auto pid = pidAfter(name, "." + code + ".new-");
    if (!pid || LeftoverCleanup::processAlive(*pid))
        return;
    if (recorded.count(code)) {
        removeAll(support / name, removed);
        return;
    }
    auto lock = AccountLock::tryAcquire(support / code);
    if (!lock)
        return;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(support / code, ec)))
        removeAll(support / code, removed);
    removeAll(support / name, removed);
}

void cleanAccountFolder(const fs::path& folder, Removed& removed) {
    const std::string prefix = std::string(AccountRecord::DatabaseFileName) + ".new-";
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        auto pid = pidAfter(name, prefix);
        if (pid && !LeftoverCleanup::processAlive(*pid))
            removeAll(it->path(), removed);
    }
}

void cleanPreferencesFolder(const fs::path& file, Removed& removed) {
    const fs::path folder = file.parent_path();
    const std::string prefix = "." + file.filename().string() + ".tmp-";
    std::error_code ec;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().starts_with(prefix))
            found.push_back(it->path());
    if (found.empty())
        return;
    auto lock = PreferencesLock::acquire(folder, nullptr, std::chrono::milliseconds(0));
    if (!lock)
        return;
    for (const auto& p : found)
        removeAll(p, removed);
}

} // namespace

bool LeftoverCleanup::processAlive(long pid) {
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::vector<fs::path> LeftoverCleanup::run(const Preferences& preferences) {
    Removed removed;
    const fs::path support = SupportFolder::path();
    std::set<std::string> recorded;
    for (const auto& entry : preferences.arrayForKey("arrayOfAccounts"))
        recorded.insert(AccountRecord::fromJson(entry).directory);

    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(support, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    for (const auto& name : names) {
        const fs::path p = support / name;
        if (name.size() == 4 && name[0] != '.' && AccountRecord::isUsableFolderCode(name)) {
            if (fs::is_directory(fs::symlink_status(p, ec)))
                cleanAccountFolder(p, removed);
        } else if (auto pid = pidAfter(name, ".brivel-backup-")) {
            if (name.ends_with(".zip") && !processAlive(*pid))
                removeAll(p, removed);
        } else if (name.size() > 10 && name[0] == '.' && name.substr(5, 5) == ".new-") {
            cleanNewAccount(support, name, recorded, removed);
        } else if (name.size() == 10 && name[0] == '.' && name.ends_with(".lock")) {
            const fs::path folder = support / name.substr(1, 4);
            if (!fs::exists(fs::symlink_status(folder, ec)))
                if (auto lock = AccountLock::tryAcquire(folder)) {
                    // Unlinked while held: a waiter that opened it retries on a fresh file.
                    fs::remove(p, ec);
                    if (!ec)
                        removed.push_back(p);
                }
        } else if (name[0] == '.') {
            cleanWorkFolder(support, name, removed);
        }
    }
    cleanPreferencesFolder(preferences.filePath(), removed);
    for (const auto& p : removed)
        systemLog().log(
            fmt::format("Removed \"{}\", left behind by an interrupted run", p.string()));
    return removed;
}

} // namespace brivel::app
