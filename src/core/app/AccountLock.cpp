#include "core/app/AccountLock.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
#include <mutex>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace brivel::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* CommandWord = "command";
constexpr const char* ApplicationWord = "application";

// The folders this process holds, so that code running inside a holder can tell.
std::mutex g_heldMutex;
std::multiset<std::string> g_held;

std::string keyOf(const fs::path& folder) {
    std::error_code ec;
    fs::path a = fs::absolute(folder, ec);
    return (ec ? folder : a).lexically_normal().string();
}

std::string accountName(const fs::path& folder) {
    return folder.filename().string();
}

void setError(Error* error, int code, std::string description, std::string reason = {}) {
    if (!error)
        return;
    *error = Error{};
    error->domain = AccountLock::ErrorDomain;
    error->code = code;
    error->localizedDescription = std::move(description);
    error->failureReason = std::move(reason);
}

bool processAlive(long pid) {
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// What the holder wrote. A crashed holder's words stay in the file, so a dead process counts as
// a command: a waiter then waits a moment instead of refusing for good.
AccountLockHolder announcedHolder(int fd) {
    char buf[64] = {};
    ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0)
        return AccountLockHolder::Command;
    std::string text(buf, static_cast<std::size_t>(n));
    const std::string app = ApplicationWord;
    if (text.compare(0, app.size(), app) != 0)
        return AccountLockHolder::Command;
    long pid = std::strtol(text.c_str() + app.size(), nullptr, 10);
    return processAlive(pid) ? AccountLockHolder::Application : AccountLockHolder::Command;
}

void announce(int fd, AccountLockHolder as) {
    std::string text =
        fmt::format("{} {}\n", as == AccountLockHolder::Application ? ApplicationWord : CommandWord,
                    static_cast<long>(::getpid()));
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, text.data(), text.size(), 0) < 0) {
        // The announcement only helps waiters choose how to fail; the lock holds without it.
    }
}

// True when fd is still the file at path: clean-up may have unlinked the lock file between our
// open and our lock, and a lock on an unlinked file excludes nobody.
bool stillAtPath(int fd, const fs::path& path) {
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0)
        return false;
    return held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

int openLockFile(const fs::path& path) {
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    while (fd < 0 && errno == EINTR);
    return fd;
}

int tryLock(int fd) {
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

} // namespace

AccountLock::~AccountLock() {
    release();
}

AccountLock::AccountLock(AccountLock&& other) noexcept
    : m_fd(other.m_fd), m_folder(std::move(other.m_folder)) {
    other.m_fd = -1;
    other.m_folder.clear();
}

AccountLock& AccountLock::operator=(AccountLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        m_folder = std::move(other.m_folder);
        other.m_fd = -1;
        other.m_folder.clear();
    }
    return *this;
}

void AccountLock::release() {
    if (m_fd < 0)
        return;
    {
        std::lock_guard guard(g_heldMutex);
        auto it = g_held.find(keyOf(m_folder));
        if (it != g_held.end())
            g_held.erase(it);
    }
    // Nobody holds it any more: a stale announcement would only mislead.
    if (::ftruncate(m_fd, 0) != 0) {
    }
    ::close(m_fd); // closing the only descriptor releases the lock
    m_fd = -1;
}

fs::path AccountLock::lockFilePath(const fs::path& accountFolder) {
    fs::path folder = accountFolder.lexically_normal();
    if (!folder.has_filename())
        folder = folder.parent_path();
    return folder.parent_path() / ("." + folder.filename().string() + ".lock");
}

std::optional<AccountLock> AccountLock::acquireForCommand(const fs::path& accountFolder,
                                                          Error* error,
                                                          std::chrono::milliseconds wait) {
    return acquire(accountFolder, AccountLockHolder::Command, error, wait);
}

std::optional<AccountLock> AccountLock::acquireForApplication(const fs::path& accountFolder,
                                                              Error* error,
                                                              std::chrono::milliseconds wait) {
    return acquire(accountFolder, AccountLockHolder::Application, error, wait);
}

std::optional<AccountLock> AccountLock::tryAcquire(const fs::path& accountFolder) {
    return acquire(accountFolder, AccountLockHolder::Command, nullptr,
                   std::chrono::milliseconds(0));
}

std::optional<AccountLock> AccountLock::acquire(const fs::path& accountFolder, AccountLockHolder as,
                                                Error* error, std::chrono::milliseconds wait) {
    const fs::path path = lockFilePath(accountFolder);
    const std::string name = accountName(accountFolder.lexically_normal().has_filename()
                                             ? accountFolder.lexically_normal()
                                             : accountFolder.lexically_normal().parent_path());
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(2);
    for (;;) {
        int fd = openLockFile(path);
        if (fd < 0) {
            setError(error, Unavailable,
                     fmt::format("The account \"{}\" cannot be locked for writing.", name),
                     fmt::format("\"{}\": {}.", path.string(), std::strerror(errno)));
            return std::nullopt;
        }
        int failure = tryLock(fd);
        if (failure == 0) {
            if (!stillAtPath(fd, path)) {
                ::close(fd);
                continue;
            }
            announce(fd, as);
            AccountLock lock;
            lock.m_fd = fd;
            lock.m_folder = accountFolder;
            std::lock_guard guard(g_heldMutex);
            g_held.insert(keyOf(accountFolder));
            return lock;
        }
        if (failure != EWOULDBLOCK) {
            ::close(fd);
            setError(error, Unavailable,
                     fmt::format("The account \"{}\" cannot be locked for writing.", name),
                     fmt::format("\"{}\": {}.", path.string(), std::strerror(failure)));
            return std::nullopt;
        }
        AccountLockHolder other = announcedHolder(fd);
        ::close(fd);
        if (other == AccountLockHolder::Application) {
            setError(error, OpenInApplication,
                     fmt::format("The account \"{}\" is open in Brivel Trade Journal; close its "
                                 "window and try again.",
                                 name));
            return std::nullopt;
        }
        auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            setError(error, TimedOut,
                     fmt::format("The account \"{}\" is busy: another command has been changing "
                                 "it for {} seconds; try again.",
                                 name, (wait.count() + 999) / 1000));
            return std::nullopt;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(20));
    }
}

AccountLockHolder AccountLock::holder(const fs::path& accountFolder) {
    const fs::path path = lockFilePath(accountFolder);
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return AccountLockHolder::Nobody; // never locked, or cleaned up
    AccountLockHolder result = AccountLockHolder::Nobody;
    int failure = tryLock(fd);
    if (failure == EWOULDBLOCK)
        result = announcedHolder(fd);
    ::close(fd); // also lets go of the lock taken to look
    return result;
}

bool AccountLock::heldByThisProcess(const fs::path& accountFolder) {
    std::lock_guard guard(g_heldMutex);
    return g_held.count(keyOf(accountFolder)) > 0;
}

} // namespace brivel::app
