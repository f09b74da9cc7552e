#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace brivel::model {

// The file of a stored chart image name ("B0W1/<UUID>.png"): the file of that last component in
// the folder of the account's own database. The folder code stored in the name is ignored, so an
// account restored from another account's backup finds its own pictures. Nothing when the name
// is empty or has no usable last component.
std::optional<std::filesystem::path> chartImageFile(const std::filesystem::path& databasePath,
                                                    std::string_view storedName);

} // namespace brivel::model
