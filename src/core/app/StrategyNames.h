#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brivel::app {

class Preferences;

// The strategy name at a position of "arrayOfStrategies" (the "strategy" value of that entry):
// nothing when the position lies outside the list (negative included) or the entry has no name.
std::optional<std::string> strategyNameAt(const nlohmann::json& strategies, std::int64_t position);
// Every entry's name, by position.
std::vector<std::optional<std::string>> strategyNames(const Preferences& preferences);
// The "index" names of "arrayOfIndices", by position: nothing where an entry has none.
std::vector<std::optional<std::string>> indexNames(const Preferences& preferences);

} // namespace brivel::app
