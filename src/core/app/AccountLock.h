#pragma once

#include "core/platform/Error.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace brivel::app {

// Who holds an account, as the holder announces itself in the lock file.
enum class AccountLockHolder { Nobody, Command, Application };

// The lock every writer of an account holds from before it loads the account until after it has
// saved: each brivel-cli command that changes the account, backup, restore, deletion, and the
// desktop application for as long as the account's window is open. Readers take no lock.
//
// It is a kernel advisory lock (flock) on a hidden file beside the account folder,
// "<support folder>/.<CODE>.lock", so that it stays put while a restore swaps the folder or a
// deletion removes it, stays out of backups, and is freed by the kernel when its holder dies. The
// holder writes "command PID" or "application PID" into the file; a writer that finds the lock
// taken waits a bounded time for a command but gives up at once on an open window.
//
// The lock belongs to the object (one open file description): a second acquire of the same
// account in the same process conflicts with the first like any other writer, so code that runs
// inside a process already holding it (the application backing up an open account) checks
// heldByThisProcess() instead of acquiring again. Move-only; released when destroyed.
//
// accountFolder is the folder that holds "database.brdb": AccountRecord::accountFolder(code),
// or the parent of a document's database path. It need not exist (its parent must).
class AccountLock {
public:
    // Errors of acquire, in this domain with these codes.
    static constexpr const char* ErrorDomain = "BrivelAccountLockDomain";
    static constexpr int OpenInApplication = 1; // held by the desktop application
    static constexpr int TimedOut = 2;          // a command held it for longer than the wait
    static constexpr int Unavailable = 3;       // the lock file cannot be made or locked

    // How long a writer waits for a short command by default.
    static constexpr std::chrono::milliseconds CommandWait{5000};

    AccountLock() = default; // holds nothing
    ~AccountLock();
    AccountLock(AccountLock&& other) noexcept;
    AccountLock& operator=(AccountLock&& other) noexcept;
    AccountLock(const AccountLock&) = delete;
    AccountLock& operator=(const AccountLock&) = delete;

    // For one short command that changes the account (brivel-cli, backup, restore, deletion):
    // waits up to `wait` while another command holds it, then fails (TimedOut); fails at once
    // (OpenInApplication) while the desktop application has the account open. The error's
    // message() is one line naming the account, fit for an alert or a command line.
    static std::optional<AccountLock>
    acquireForCommand(const std::filesystem::path& accountFolder, Error* error,
                      std::chrono::milliseconds wait = CommandWait);
    // For the desktop application, held for the lifetime of the account's window: waits up to
    // `wait` for a short command to finish; fails at once when another application process
    // has the account open.
    static std::optional<AccountLock>
    acquireForApplication(const std::filesystem::path& accountFolder, Error* error,
                          std::chrono::milliseconds wait = CommandWait);
    // Never waits: the lock when nobody holds the account, else nothing. Start-up clean-up
    // holds it while it removes what a crashed writer left behind.
    static std::optional<AccountLock> tryAcquire(const std::filesystem::path& accountFolder);

    // Who holds the account right now (Nobody when it is free); never blocks, changes nothing.
    static AccountLockHolder holder(const std::filesystem::path& accountFolder);
    // Whether an AccountLock of this process holds that account.
    static bool heldByThisProcess(const std::filesystem::path& accountFolder);
    // "<parent>/.<name>.lock" for the account folder "<parent>/<name>".
    static std::filesystem::path lockFilePath(const std::filesystem::path& accountFolder);

    bool holds() const { return m_fd >= 0; }
    const std::filesystem::path& accountFolder() const { return m_folder; }
    // Lets go early; the destructor does the same.
    void release();

private:
    static std::optional<AccountLock> acquire(const std::filesystem::path& accountFolder,
                                              AccountLockHolder as, Error* error,
                                              std::chrono::milliseconds wait);

    int m_fd = -1;
    std::filesystem::path m_folder;
};

} // namespace brivel::app
