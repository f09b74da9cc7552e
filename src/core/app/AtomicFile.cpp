#include "core/app/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace brivel::app {

namespace {

void fail(Error* error, const std::filesystem::path& path, const std::string& what, int err) {
    if (!error)
        return;
    error->domain = errors::FileDomain;
    error->code = errors::FileWriteUnknown;
    error->localizedDescription = fmt::format("The file \"{}\" could not be saved.", path.string());
    error->failureReason = fmt::format("{}: {}.", what, std::strerror(err));
    error->userInfo["NSFilePath"] = path.string();
}

} // namespace

bool AtomicFile::write(const std::filesystem::path& path, std::string_view bytes, Error* error) {
    const auto folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string tmpl = (folder / ("." + path.filename().string() + ".tmp-XXXXXX")).string();
    int fd = mkstemp(tmpl.data());
    if (fd < 0) {
        fail(error, path, "Cannot make a temporary file", errno);
        return false;
    }
    auto abandon = [&](const char* what) {
        int err = errno;
        ::close(fd);
        ::unlink(tmpl.c_str());
        fail(error, path, what, err);
        return false;
    };
    // mkstemp makes the file private; keep an existing file's permissions instead.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        ::fchmod(fd, st.st_mode & 07777);

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon("Cannot write");
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        return abandon("Cannot flush to disk");
    if (::close(fd) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        fail(error, path, "Cannot close", err);
        return false;
    }
    if (std::rename(tmpl.c_str(), path.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpl.c_str());
        fail(error, path, "Cannot replace the file", err);
        return false;
    }
    syncFolder(folder);
    return true;
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

} // namespace brivel::app
