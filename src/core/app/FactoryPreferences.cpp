#include "core/app/FactoryPreferences.h"

#include "core/platform/SystemLog.h"

namespace brivel::app {

nlohmann::json FactoryPreferences::dictionary() {
    auto parsed = nlohmann::json::parse(resourceText(), nullptr, /*allow_exceptions=*/false);
    if (!parsed.is_object()) {
        systemLog().log("The factory preferences resource \"defaultPrefs\" is not a dictionary");
        return nlohmann::json::object();
    }
    return parsed;
}

} // namespace brivel::app
