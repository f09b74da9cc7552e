#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace brivel::store {
class ManagedObject;
class ObjectContext;
} // namespace brivel::store

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

// Whether a picture made for record's storedName may still be written: record is a live (not
// deleted) chart image record of context that names storedName as its entry or exit picture. A
// picture finished after its trade was deleted, or after the record let go of the name, must not
// put a file in that place. record (taken while it was valid) is only compared, never read,
// unless context still holds it.
bool chartImageStillNamed(const store::ObjectContext& context, const store::ManagedObject* record,
                          std::string_view storedName);

// Chart image files are at most this wide; a wider picture is scaled down with its aspect kept.
inline constexpr double MaximumChartImageWidth = 720.0;

struct ChartImageSize {
    double width;
    double height;
};

// The size a picture of width by height is stored at: unchanged up to 720 wide, otherwise 720
// wide with the height 720 × (height ÷ width) worked out in single precision. The height is
// never limited.
ChartImageSize storedChartImageSize(double width, double height);

} // namespace brivel::model
