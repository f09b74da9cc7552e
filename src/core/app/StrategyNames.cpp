#include "core/app/StrategyNames.h"

#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"

namespace brivel::app {

namespace {
// The text under nameKey of the entry at position of a preference list of dictionaries.
std::optional<std::string> entryNameAt(const nlohmann::json& list, std::int64_t position,
                                       const char* nameKey) {
    if (!list.is_array() || position < 0 || static_cast<std::size_t>(position) >= list.size())
        return std::nullopt;
    const auto& entry = list[static_cast<std::size_t>(position)];
    if (!entry.is_object())
        return std::nullopt;
    auto name = entry.find(nameKey);
    if (name == entry.end() || !name->is_string())
        return std::nullopt;
    return name->get<std::string>();
}

std::vector<std::optional<std::string>> entryNames(const Preferences& preferences,
                                                   const char* listKey, const char* nameKey) {
    auto list = preferences.arrayForKey(listKey);
    std::vector<std::optional<std::string>> names;
    for (std::size_t i = 0; i < list.size(); ++i)
        names.push_back(entryNameAt(list, static_cast<std::int64_t>(i), nameKey));
    return names;
}
} // namespace

std::optional<std::string> strategyNameAt(const nlohmann::json& strategies, std::int64_t position) {
    return entryNameAt(strategies, position, prefkeys::Strategy);
}

std::vector<std::optional<std::string>> strategyNames(const Preferences& preferences) {
    return entryNames(preferences, prefkeys::ArrayOfStrategies, prefkeys::Strategy);
}

std::vector<std::optional<std::string>> indexNames(const Preferences& preferences) {
    return entryNames(preferences, prefkeys::ArrayOfIndices, prefkeys::Index);
}

} // namespace brivel::app
