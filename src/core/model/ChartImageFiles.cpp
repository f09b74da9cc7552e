#include "core/model/ChartImageFiles.h"

namespace brivel::model {

std::optional<std::filesystem::path> chartImageFile(const std::filesystem::path& databasePath,
                                                    std::string_view storedName) {
    auto slash = storedName.find_last_of('/');
    std::string_view last =
        slash == std::string_view::npos ? storedName : storedName.substr(slash + 1);
    // A stored name is data from the file: never let it lead outside the account folder.
    if (last.empty() || last == "." || last == "..")
        return std::nullopt;
    if (databasePath.empty())
        return std::nullopt;
    return databasePath.parent_path() / std::filesystem::path(std::string(last));
}

ChartImageSize storedChartImageSize(double width, double height) {
    if (!(width > MaximumChartImageWidth))
        return {width, height};
    float ratio = static_cast<float>(height / width);
    float scaled = static_cast<float>(MaximumChartImageWidth) * ratio;
    return {MaximumChartImageWidth, static_cast<double>(scaled)};
}

} // namespace brivel::model
