#include "core/app/AccountBackup.h"

#include "core/app/AccountLock.h"
#include "core/app/AccountRecord.h"
#include "core/app/SupportFolder.h"
#include "core/model/AccountStore.h"
#include "core/platform/AtomicFile.h"
#include "core/platform/SystemLog.h"
#include "core/platform/Uuid.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
#include <optional>
#include <unistd.h>

namespace brivel::app {

namespace fs = std::filesystem;

namespace {

ArchiveOutcome failed(std::string detail) {
    return ArchiveOutcome{false, std::move(detail)};
}

// The fixed log lines of a tool that did not succeed; the detail for the caller.
std::string toolFailure(const char* task, const std::string& tool, const ProcessResult& r) {
    if (!r.started) {
        systemLog().log(fmt::format("{} task could not be started: {}", task, r.startError));
        return fmt::format("{} could not be started: {}", tool, r.startError);
    }
    if (r.signaled) {
        systemLog().log(fmt::format("{} task was ended by a signal.", task));
        return fmt::format("{} was ended by a signal", tool);
    }
    systemLog().log(fmt::format("{} task failed with {}.", task, r.exitStatus));
    return fmt::format("{} exited with status {}", tool, r.exitStatus);
}

bool succeeded(const ProcessResult& r) {
    return r.started && !r.signaled && r.exitStatus == 0;
}

fs::path absolutePath(const fs::path& p) {
    std::error_code ec;
    fs::path a = fs::absolute(p, ec);
    return ec ? p : a.lexically_normal();
}

// Why a staged folder is not a restorable account, or "" when it is.
std::string checkStagedFolder(const fs::path& staging) {
    std::error_code ec;
    for (fs::directory_iterator it(staging, ec), end; !ec && it != end; it.increment(ec)) {
        auto status = it->symlink_status(ec);
        if (ec)
            break;
        if (!fs::is_regular_file(status))
            return fmt::format("it holds \"{}\", which is not a plain file at its root",
                               it->path().filename().string());
    }
    if (ec)
        return fmt::format("its contents cannot be read: {}", ec.message());
    const fs::path database = staging / AccountRecord::DatabaseFileName;
    if (!fs::is_regular_file(fs::symlink_status(database, ec)))
        return fmt::format("it holds no \"{}\"", AccountRecord::DatabaseFileName);
    Error error;
    if (!model::checkRestorableAccountStore(database, &error))
        return fmt::format("its \"{}\" is not a sound account database: {}",
                           AccountRecord::DatabaseFileName, error.message());
    return {};
}

// A folder of this process's own, removed with everything in it at the end.
class WorkFolder {
public:
    explicit WorkFolder(fs::path path) : m_path(std::move(path)) {
        std::error_code ec;
        m_made = fs::create_directory(m_path, ec) && !ec;
    }
    ~WorkFolder() {
        std::error_code ec;
        if (m_made)
            fs::remove_all(m_path, ec);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    bool made() const { return m_made; }
    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
    bool m_made = false;
};

// zip -j TEMP COPY CODE/FILE...: the consistent copy of the database and every other plain file
// of the account folder, all under their bare names. The live database and its journal stay
// out: the copy stands for them.
std::vector<std::string> zipArguments(const fs::path& temporary, const fs::path& databaseCopy,
                                      const std::string& folderCode) {
    std::vector<std::string> files;
    std::error_code ec;
    const std::string database = AccountRecord::DatabaseFileName;
    for (fs::directory_iterator it(AccountRecord::accountFolder(folderCode), ec), end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name == database || name == database + "-journal" ||
            !fs::is_regular_file(it->symlink_status(ec)))
            continue;
        files.push_back(folderCode + "/" + name);
    }
    std::sort(files.begin(), files.end());
    std::vector<std::string> args = {"-j", "-q", temporary.string(), databaseCopy.string()};
    args.insert(args.end(), files.begin(), files.end());
    return args;
}

// Renames the finished archive over the chosen path; across file systems, copies it beside the
// chosen path first, so that the chosen path only ever holds a whole archive. "" when done.
std::string moveArchiveIntoPlace(const fs::path& temporary, const fs::path& destination) {
    AtomicFile::syncFile(temporary);
    std::error_code ec;
    fs::rename(temporary, destination, ec);
    if (!ec) {
        AtomicFile::syncFolder(destination.parent_path());
        return {};
    }
    if (ec != std::errc::cross_device_link)
        return ec.message();
    const fs::path beside =
        destination.parent_path() /
        fmt::format(".brivel-backup-{}-{}.zip", static_cast<long>(::getpid()), makeUuidString());
    fs::copy_file(temporary, beside, ec);
    if (!ec && AtomicFile::syncFile(beside))
        fs::rename(beside, destination, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(beside, ignored);
        return ec.message();
    }
    fs::remove(temporary, ec);
    AtomicFile::syncFolder(destination.parent_path());
    return {};
}

// Exchanges two paths atomically where the file system can; otherwise moves the old one aside
// first and puts it back if the second move fails.
bool swapIntoPlace(const fs::path& staged, const fs::path& target, std::string& why) {
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        why = std::strerror(errno);
        return false;
    }
    fs::path aside = target;
    aside.replace_filename(fmt::format(".{}.replaced-{}-{}", target.filename().string(),
                                       static_cast<long>(::getpid()), makeUuidString()));
    std::error_code ec;
    fs::rename(target, aside, ec);
    if (ec) {
        why = ec.message();
        return false;
    }
    fs::rename(staged, target, ec);
    if (ec) {
        why = ec.message();
        std::error_code back;
        fs::rename(aside, target, back);
        return false;
    }
    // The old contents go where the caller expects them: at the staging path.
    fs::rename(aside, staged, ec);
    if (ec)
        fs::remove_all(aside, ec);
    return true;
}

} // namespace

StagedRestore::~StagedRestore() {
    discard();
}

StagedRestore::StagedRestore(StagedRestore&& other) noexcept
    : m_ok(other.m_ok), m_folderCode(std::move(other.m_folderCode)),
      m_staging(std::move(other.m_staging)), m_failure(std::move(other.m_failure)) {
    other.m_ok = false;
    other.m_staging.clear();
}

StagedRestore& StagedRestore::operator=(StagedRestore&& other) noexcept {
    if (this != &other) {
        discard();
        m_ok = other.m_ok;
        m_folderCode = std::move(other.m_folderCode);
        m_staging = std::move(other.m_staging);
        m_failure = std::move(other.m_failure);
        other.m_ok = false;
        other.m_staging.clear();
    }
    return *this;
}

void StagedRestore::discard() {
    if (m_staging.empty())
        return;
    std::error_code ec;
    fs::remove_all(m_staging, ec);
    m_staging.clear();
    m_ok = false;
}

AccountBackup::AccountBackup(ProcessRunner& runner, std::string zipTool, std::string unzipTool)
    : m_runner(runner), m_zipTool(std::move(zipTool)), m_unzipTool(std::move(unzipTool)) {}

ArchiveOutcome AccountBackup::backup(const std::string& folderCode, const fs::path& archive) const {
    if (!AccountRecord::isUsableFolderCode(folderCode))
        return failed(fmt::format("\"{}\" is not an account folder code", folderCode));
    // zip runs in the support folder: a relative path must still mean what the caller meant.
    const fs::path destination = absolutePath(archive);
    std::error_code ec;
    if (fs::is_directory(destination, ec))
        return failed(fmt::format("\"{}\" is a folder", destination.string()));
    const fs::path support = SupportFolder::path();
    const fs::path folder = AccountRecord::accountFolder(folderCode);

    // Writers of the account wait meanwhile, so that the pictures stay those the database names.
    // An account open in the application (this process's or another's) is backed up all the
    // same: the database copy below is consistent whoever writes.
    std::optional<AccountLock> lock;
    if (!AccountLock::heldByThisProcess(folder)) {
        Error lockError;
        lock = AccountLock::acquireForCommand(folder, &lockError);
        if (!lock && lockError.code != AccountLock::OpenInApplication) {
            systemLog().log("Backup failed: " + lockError.message());
            return failed(lockError.message());
        }
    }
    WorkFolder work(support / fmt::format(".{}.backup-{}-{}", folderCode,
                                          static_cast<long>(::getpid()), makeUuidString()));
    if (!work.made())
        return failed(fmt::format("the folder \"{}\" cannot be made", work.path().string()));
    const fs::path copy = work.path() / AccountRecord::DatabaseFileName;
    Error copyError;
    if (!model::copyAccountStore(folder / AccountRecord::DatabaseFileName, copy, &copyError)) {
        systemLog().log("Backup failed: " + copyError.message());
        return failed(copyError.message());
    }

    // Ends in ".zip", or zip would add the extension itself. Named after this process, so that
    // start-up clean-up knows when it is a leftover.
    const fs::path temporary =
        support /
        fmt::format(".brivel-backup-{}-{}.zip", static_cast<long>(::getpid()), makeUuidString());
    ProcessResult r =
        m_runner.run(m_zipTool, zipArguments(temporary, copy, folderCode), support.string());
    if (!succeeded(r)) {
        fs::remove(temporary, ec);
        return failed(toolFailure("Zip", m_zipTool, r));
    }
    if (std::string why = moveArchiveIntoPlace(temporary, destination); !why.empty()) {
        std::string detail =
            fmt::format("the archive cannot be moved to \"{}\": {}", destination.string(), why);
        systemLog().log("Backup failed: " + detail);
        fs::remove(temporary, ec);
        return failed(std::move(detail));
    }
    return ArchiveOutcome{true, {}};
}

StagedRestore AccountBackup::stageRestore(const std::string& folderCode,
                                          const fs::path& archive) const {
    StagedRestore staged;
    staged.m_folderCode = folderCode;
    auto refuse = [&](std::string why) {
        staged.discard();
        staged.m_failure = std::move(why);
        return std::move(staged);
    };
    if (!AccountRecord::isUsableFolderCode(folderCode))
        return refuse(fmt::format("\"{}\" is not an account folder code", folderCode));

    const fs::path support = SupportFolder::path();
    const fs::path source = absolutePath(archive);
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        std::string why = fmt::format("there is no archive at \"{}\"", source.string());
        systemLog().log("Restore failed: " + why);
        return refuse(std::move(why));
    }
    // Beside the account folder, so that the swap is a rename within one file system.
    // Named after this process, so that start-up clean-up knows when it is a leftover.
    const fs::path staging = support / fmt::format(".{}.restore-{}-{}", folderCode,
                                                   static_cast<long>(::getpid()), makeUuidString());
    if (!fs::create_directory(staging, ec) || ec) {
        std::string why = fmt::format("the folder \"{}\" cannot be made: {}", staging.string(),
                                      ec ? ec.message() : std::string("it exists"));
        systemLog().log("Restore failed: " + why);
        return refuse(std::move(why));
    }
    staged.m_staging = staging;

    ProcessResult r =
        m_runner.run(m_unzipTool, {source.string(), "-d", staging.string()}, support.string());
    if (!succeeded(r))
        return refuse(toolFailure("Unzip", m_unzipTool, r));

    if (std::string why = checkStagedFolder(staging); !why.empty()) {
        systemLog().log(fmt::format("Restore refused \"{}\": {}", source.string(), why));
        return refuse("the archive is not a backup of an account: " + why);
    }
    staged.m_ok = true;
    return staged;
}

ArchiveOutcome AccountBackup::commitRestore(StagedRestore& staged) const {
    if (!staged.ok())
        return failed(staged.failure().empty() ? "nothing was staged" : staged.failure());
    const fs::path target = AccountRecord::accountFolder(staged.folderCode());
    // No writer may be half way through a save of the folder that goes.
    std::optional<AccountLock> lock;
    if (!AccountLock::heldByThisProcess(target)) {
        Error lockError;
        lock = AccountLock::acquireForCommand(target, &lockError);
        if (!lock) {
            systemLog().log("Restore failed: " + lockError.message());
            staged.discard();
            return failed(lockError.message());
        }
    }
    std::error_code ec;
    std::string why;
    bool moved = false;
    if (fs::exists(fs::symlink_status(target, ec))) {
        moved = swapIntoPlace(staged.m_staging, target, why);
    } else {
        fs::rename(staged.m_staging, target, ec);
        moved = !ec;
        why = ec.message();
    }
    if (!moved) {
        std::string detail =
            fmt::format("the restored files cannot be moved to \"{}\": {}", target.string(), why);
        systemLog().log("Restore failed: " + detail);
        staged.discard();
        return failed(std::move(detail));
    }
    // The staging path now holds the old contents, if there were any.
    staged.discard();
    AtomicFile::syncFolder(target.parent_path());
    return ArchiveOutcome{true, {}};
}

std::jthread AccountBackup::startBackup(std::string folderCode, fs::path archive,
                                        std::function<void(ArchiveOutcome)> done) const {
    return std::jthread([this, code = std::move(folderCode), path = std::move(archive),
                         done = std::move(done)] { done(backup(code, path)); });
}

std::jthread AccountBackup::startStagingRestore(std::string folderCode, fs::path archive,
                                                std::function<void(StagedRestore)> done) const {
    return std::jthread([this, code = std::move(folderCode), path = std::move(archive),
                         done = std::move(done)] { done(stageRestore(code, path)); });
}

} // namespace brivel::app
