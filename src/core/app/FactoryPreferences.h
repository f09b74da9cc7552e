#pragma once

#include <nlohmann/json.hpp>
#include <string_view>

namespace brivel::app {

// The resource "defaultPrefs": the factory preferences, registered at every start.
class FactoryPreferences {
public:
    // The resource's text, as compiled in from resources/defaultPrefs.json.
    static std::string_view resourceText();
    // The resource as a dictionary; an empty one when the text is not a JSON object, so that a
    // damaged resource registers nothing instead of stopping the start.
    static nlohmann::json dictionary();
};

} // namespace brivel::app
