#pragma once

#include "core/platform/Error.h"

#include <filesystem>
#include <string_view>

namespace brivel::app {

// Writes a whole file so that readers see either the old contents or the new, never a part:
// a temporary file in the same folder, flushed to disk, then renamed over the target.
class AtomicFile {
public:
    static bool write(const std::filesystem::path& path, std::string_view bytes, Error* error);
    // Flushes a folder's entries (after a rename into it), so the rename survives a crash.
    static void syncFolder(const std::filesystem::path& folder);
    // Flushes a file's contents to disk.
    static bool syncFile(const std::filesystem::path& path);
};

} // namespace brivel::app
