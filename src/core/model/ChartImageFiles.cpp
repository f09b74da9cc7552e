#include "core/model/ChartImageFiles.h"

#include "core/model/Entities.h"
#include "core/store/ObjectContext.h"

#include <algorithm>

namespace brivel::model {

bool isChartImageFileName(std::string_view name) {
    constexpr std::string_view Extension = ".png";
    return name.size() > Extension.size() && name.ends_with(Extension) && name.front() != '.' &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

bool isStoredChartImageName(std::string_view storedName) {
    auto slash = storedName.find_last_of('/');
    return isChartImageFileName(slash == std::string_view::npos ? storedName
                                                                : storedName.substr(slash + 1));
}

std::optional<std::filesystem::path> chartImageFile(const std::filesystem::path& databasePath,
                                                    std::string_view storedName) {
    auto slash = storedName.find_last_of('/');
    std::string_view last =
        slash == std::string_view::npos ? storedName : storedName.substr(slash + 1);
    // A stored name is data from the file: it names a picture directly in the account folder
    // and nothing else, never the database ("B0W1/database.brdb") nor a hidden file.
    if (!isChartImageFileName(last))
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

bool chartImageStillNamed(const store::ObjectContext& context, const store::ManagedObject* record,
                          std::string_view storedName) {
    if (!record || storedName.empty())
        return false;
    // The record may have been freed by a rollback: find it among the live records before
    // reading it.
    const auto& live = context.registeredObjects(ChartImage::entityName());
    if (std::find(live.begin(), live.end(), record) == live.end())
        return false;
    const auto* image = dynamic_cast<const ChartImage*>(record);
    return image && (image->entryImg() == storedName || image->exitImg() == storedName);
}

} // namespace brivel::model
