#include "core/app/StrategyNames.h"

#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"

namespace brivel::app {

std::optional<std::string> strategyNameAt(const nlohmann::json& strategies, std::int64_t position) {
    if (!strategies.is_array() || position < 0 ||
        static_cast<std::size_t>(position) >= strategies.size())
        return std::nullopt;
    const auto& entry = strategies[static_cast<std::size_t>(position)];
    if (!entry.is_object())
        return std::nullopt;
    auto name = entry.find(prefkeys::Strategy);
    if (name == entry.end() || !name->is_string())
        return std::nullopt;
    return name->get<std::string>();
}

std::vector<std::optional<std::string>> strategyNames(const Preferences& preferences) {
    auto list = preferences.arrayForKey(prefkeys::ArrayOfStrategies);
    std::vector<std::optional<std::string>> names;
    for (std::size_t i = 0; i < list.size(); ++i)
        names.push_back(strategyNameAt(list, static_cast<std::int64_t>(i)));
    return names;
}

} // namespace brivel::app
