#include "core/app/PreferencesLock.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace brivel::app {

namespace {

void setError(Error* error, const std::filesystem::path& folder, std::string reason) {
    if (!error)
        return;
    *error = Error{};
    error->domain = errors::FileDomain;
    error->code = errors::FileWriteUnknown;
    error->localizedDescription =
        fmt::format("The preferences in \"{}\" cannot be locked for writing.", folder.string());
    error->failureReason = std::move(reason);
}

} // namespace

PreferencesLock::~PreferencesLock() {
    release();
}

PreferencesLock::PreferencesLock(PreferencesLock&& other) noexcept : m_fd(other.m_fd) {
    other.m_fd = -1;
}

PreferencesLock& PreferencesLock::operator=(PreferencesLock&& other) noexcept {
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

void PreferencesLock::release() {
    if (m_fd >= 0)
        ::close(m_fd); // closing releases the lock
    m_fd = -1;
}

std::optional<PreferencesLock> PreferencesLock::acquire(const std::filesystem::path& folder,
                                                        Error* error,
                                                        std::chrono::milliseconds wait) {
    int fd;
    do
        fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        setError(error, folder, fmt::format("{}.", std::strerror(errno)));
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + wait;
    auto pause = std::chrono::milliseconds(1);
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            PreferencesLock lock;
            lock.m_fd = fd;
            return lock;
        }
        int failure = errno;
        if (failure == EINTR)
            continue;
        auto now = std::chrono::steady_clock::now();
        if (failure != EWOULDBLOCK || now >= deadline) {
            ::close(fd);
            setError(error, folder,
                     failure == EWOULDBLOCK
                         ? fmt::format("Another process has held them for {} seconds.",
                                       (wait.count() + 999) / 1000)
                         : fmt::format("{}.", std::strerror(failure)));
            return std::nullopt;
        }
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(10));
    }
}

} // namespace brivel::app
