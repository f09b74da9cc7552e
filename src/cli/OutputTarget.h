#pragma once

#include "core/platform/Error.h"

#include <filesystem>
#include <functional>
#include <string_view>

namespace brivel::cli {

// Writes a command's output file (an export, a report) so that a failure half way (a full disk)
// leaves the previous file whole: into a temporary file beside it, moved over it when complete.
// A symbolic link is followed to the file it names (the link stays a link); a FIFO or a device
// is written as it is, never replaced. writeTo receives the path to write and says whether it
// succeeded (with error).
bool writeOutputFile(const std::filesystem::path& file,
                     const std::function<bool(const std::filesystem::path&, Error*)>& writeTo,
                     Error* error);

} // namespace brivel::cli
