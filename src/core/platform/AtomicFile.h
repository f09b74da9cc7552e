#pragma once

#include "core/platform/Error.h"

#include <filesystem>
#include <string_view>

namespace brivel {

// Saves a whole file so that readers see either the old contents or the new, never a part: the
// bytes go to a temporary file in the destination's folder, which is flushed to disk and renamed
// over the destination when committed. A file that is never committed leaves the destination as
// it was and its temporary file is removed.
//
//     AtomicFile file(path);
//     if (!file.open(&error)) ...
//     ... write to file.descriptor() ...
//     if (!file.commit(&error)) ...
class AtomicFile {
public:
    explicit AtomicFile(std::filesystem::path destination);
    // Discards what has not been committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Creates the temporary file (private to its creator, or with the permissions of the file it
    // replaces).
    bool open(Error* error);
    // The temporary file's descriptor while open; -1 otherwise.
    int descriptor() const { return m_fd; }
    const std::filesystem::path& temporaryPath() const { return m_temporary; }
    const std::filesystem::path& destination() const { return m_destination; }
    // Writes all the bytes, retrying short and interrupted writes.
    bool append(std::string_view bytes, Error* error);
    // Flushes the temporary file to disk, closes it and renames it over the destination.
    bool commit(Error* error);
    // Closes and removes the temporary file; the destination stays as it was.
    void discard();

    // The whole file in one call.
    static bool write(const std::filesystem::path& path, std::string_view bytes, Error* error);
    // Puts a finished file in the destination's place in one step. A rename cannot cross file
    // systems: then the file is copied to a temporary file beside the destination, flushed and
    // renamed from there, so the destination is still replaced in one step. The source is gone
    // afterwards either way.
    static bool moveIntoPlace(const std::filesystem::path& source,
                              const std::filesystem::path& destination, Error* error);
    // Flushes a folder's entries (after a rename into it), so the rename survives a crash.
    static void syncFolder(const std::filesystem::path& folder);
    // Flushes a file's contents to disk.
    static bool syncFile(const std::filesystem::path& path);

private:
    std::filesystem::path m_destination;
    std::filesystem::path m_temporary;
    int m_fd = -1;
};

// Writes every byte to the descriptor, again after an interrupted call. False, with errno
// telling why, when a write fails.
bool writeAll(int fd, std::string_view bytes);

} // namespace brivel
