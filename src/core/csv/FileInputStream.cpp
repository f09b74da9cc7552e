#include "core/csv/FileInputStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace brivel::csv {

namespace {
constexpr std::size_t kBufferSize = 128 * 1024;
// Below this a second thread costs more than it saves.
constexpr off_t kReadAheadFrom = 1024 * 1024;
} // namespace

FileInputStream::FileInputStream(std::filesystem::path path) : m_path(path.string()) {}

std::unique_ptr<FileInputStream> FileInputStream::withDescriptor(int fd, std::string name) {
    std::unique_ptr<FileInputStream> s(new FileInputStream());
    s->m_path = std::move(name);
    s->m_fd = fd;
    s->m_ownsDescriptor = false;
    return s;
}

FileInputStream::~FileInputStream() {
    close();
}

void FileInputStream::open() {
    if (m_status != Status::NotOpen)
        return;
    if (m_fd < 0) {
        do
            m_fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0) {
            fail(errno, "opened");
            return;
        }
        // A folder opens but cannot be read; say so now rather than at the first read.
        struct stat st {};
        const bool known = fstat(m_fd, &st) == 0;
        if (known && S_ISDIR(st.st_mode)) {
            fail(EISDIR, "opened");
            return;
        }
        if (known && S_ISREG(st.st_mode) && st.st_size >= kReadAheadFrom) {
            try {
                m_readAhead = std::make_unique<FileReadAhead>(m_fd);
            } catch (const std::system_error&) {
                // No thread to spare: plain reads do the same work.
            }
        }
    }
    m_status = Status::Open;
}

void FileInputStream::close() {
    m_readAhead.reset(); // before the descriptor it reads goes
    if (m_fd >= 0 && m_ownsDescriptor)
        ::close(m_fd);
    m_fd = -1;
    if (m_status != Status::NotOpen && m_status != Status::Error)
        m_status = Status::Closed;
}

std::ptrdiff_t FileInputStream::read(char* buffer, std::size_t maxLength) {
    if (m_bufferPos < m_bufferLen) {
        const std::size_t n = std::min(maxLength, m_bufferLen - m_bufferPos);
        std::memcpy(buffer, m_buffer.get() + m_bufferPos, n);
        m_bufferPos += n;
        return static_cast<std::ptrdiff_t>(n);
    }
    if (m_status == Status::AtEnd)
        return 0;
    if (m_fd < 0 || (m_status != Status::Open && m_status != Status::Reading))
        return -1;
    m_status = Status::Reading;
    if (m_readAhead) {
        const std::ptrdiff_t got = m_readAhead->read(buffer, maxLength);
        if (got < 0)
            fail(m_readAhead->error(), "read");
        else
            m_status = got == 0 ? Status::AtEnd : Status::Open;
        return got;
    }
    // Large reads go straight to the caller; small ones through the buffer.
    const bool direct = maxLength >= kBufferSize;
    if (!direct && !m_buffer)
        m_buffer = std::make_unique<char[]>(kBufferSize);
    char* into = direct ? buffer : m_buffer.get();
    const std::size_t length = direct ? maxLength : kBufferSize;
    ssize_t n;
    do
        n = ::read(m_fd, into, length);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        fail(errno, "read");
        return -1;
    }
    if (n == 0) {
        m_status = Status::AtEnd;
        return 0;
    }
    m_status = Status::Open;
    if (direct)
        return n;
    m_bufferLen = static_cast<std::size_t>(n);
    m_bufferPos = std::min(maxLength, m_bufferLen);
    std::memcpy(buffer, m_buffer.get(), m_bufferPos);
    return static_cast<std::ptrdiff_t>(m_bufferPos);
}

void FileInputStream::fail(int err, const char* what) {
    m_readAhead.reset();
    if (m_fd >= 0 && m_ownsDescriptor)
        ::close(m_fd);
    m_fd = -1;
    m_status = Status::Error;
    Error e;
    e.domain = errors::FileDomain;
    e.code = err == ENOENT ? errors::FileReadNoSuchFile : errors::FileReadUnknown;
    e.localizedDescription = "The file \"" + m_path + "\" could not be " + what + ".";
    e.failureReason = std::strerror(err);
    e.userInfo["NSFilePath"] = m_path;
    e.userInfo["NSPOSIXErrorCode"] = std::to_string(err);
    m_error = std::move(e);
}

} // namespace brivel::csv
