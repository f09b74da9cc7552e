#include "core/platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace brivel {

namespace {

bool fail(Error* error, const std::filesystem::path& path, const std::string& what, int err) {
    if (error) {
        *error = Error{};
        error->domain = errors::FileDomain;
        error->code = errors::FileWriteUnknown;
        error->localizedDescription =
            fmt::format("The file \"{}\" could not be saved.", path.string());
        error->failureReason = fmt::format("{}: {}.", what, std::strerror(err));
        error->userInfo["NSFilePath"] = path.string();
        error->userInfo["NSPOSIXErrorCode"] = std::to_string(err);
    }
    return false;
}

std::filesystem::path folderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// Copies the file at source into the open descriptor out; errno tells why on failure.
bool copyInto(const std::filesystem::path& source, int out) {
    int in;
    do
        in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
    while (in < 0 && errno == EINTR);
    if (in < 0)
        return false;
    char chunk[64 * 1024];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(in, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        if (!writeAll(out, std::string_view(chunk, static_cast<std::size_t>(n)))) {
            ok = false;
            break;
        }
    }
    const int err = errno;
    ::close(in);
    errno = err;
    return ok;
}

} // namespace

bool writeAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

AtomicFile::AtomicFile(std::filesystem::path destination) : m_destination(std::move(destination)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open(Error* error) {
    discard();
    std::string name =
        (folderOf(m_destination) / ("." + m_destination.filename().string() + ".tmp-XXXXXX"))
            .string();
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return fail(error, m_destination, "Cannot make a temporary file", errno);
    m_temporary = name;
    // mkstemp makes the file private; keep an existing file's permissions instead.
    struct stat st {};
    if (::stat(m_destination.c_str(), &st) == 0)
        ::fchmod(m_fd, st.st_mode & 07777);
    return true;
}

bool AtomicFile::append(std::string_view bytes, Error* error) {
    if (m_fd < 0)
        return fail(error, m_destination, "Cannot write", EBADF);
    if (!writeAll(m_fd, bytes))
        return fail(error, m_destination, "Cannot write", errno);
    return true;
}

bool AtomicFile::commit(Error* error) {
    if (m_fd < 0)
        return fail(error, m_destination, "Cannot write", EBADF);
    if (::fsync(m_fd) != 0) {
        const int err = errno;
        discard();
        return fail(error, m_destination, "Cannot flush to disk", err);
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        const int err = errno;
        discard();
        return fail(error, m_destination, "Cannot close", err);
    }
    const bool moved = moveIntoPlace(m_temporary, m_destination, error);
    m_temporary.clear();
    return moved;
}

void AtomicFile::discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.empty())
        ::unlink(m_temporary.c_str());
    m_temporary.clear();
}

bool AtomicFile::write(const std::filesystem::path& path, std::string_view bytes, Error* error) {
    AtomicFile file(path);
    return file.open(error) && file.append(bytes, error) && file.commit(error);
}

bool AtomicFile::moveIntoPlace(const std::filesystem::path& source,
                               const std::filesystem::path& destination, Error* error) {
    if (std::rename(source.c_str(), destination.c_str()) == 0) {
        syncFolder(folderOf(destination));
        return true;
    }
    if (errno != EXDEV) {
        const int err = errno;
        ::unlink(source.c_str());
        return fail(error, destination, "Cannot replace the file", err);
    }
    AtomicFile sibling(destination);
    if (!sibling.open(error)) {
        ::unlink(source.c_str());
        return false;
    }
    if (!copyInto(source, sibling.descriptor())) {
        const int err = errno;
        ::unlink(source.c_str());
        return fail(error, destination, "Cannot copy across file systems", err);
    }
    ::unlink(source.c_str());
    return sibling.commit(error);
}

void AtomicFile::syncFolder(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

bool AtomicFile::syncFile(const std::filesystem::path& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

} // namespace brivel
