#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace brivel::model {

// A chart image file's own name: "<something>.png", not hidden, one path component.
bool isChartImageFileName(std::string_view name);
// Whether a stored name leads to a chart image file (its last component is one).
bool isStoredChartImageName(std::string_view storedName);

// The file of a stored chart image name ("B0W1/<UUID>.png"): the file of that last component in
// the folder of the account's own database. The folder code stored in the name is ignored, so an
// account restored from another account's backup finds its own pictures. Nothing when the name
// is empty or its last component is not a chart image file name.
std::optional<std::filesystem::path> chartImageFile(const std::filesystem::path& databasePath,
                                                    std::string_view storedName);

} // namespace brivel::model
