#include "core/app/SupportFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <unistd.h>

namespace brivel::app {

namespace {

constexpr const char* ApplicationFolderName = "Brivel Trade Journal";
constexpr const char* OlderFolderName = "Brivel";

std::filesystem::path homeFolder() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    // Nowhere better to go; relative to the working folder is at least predictable.
    return ".";
}

// XDG: an unset, empty or relative value is ignored in favour of the default.
std::filesystem::path xdgFolder(const char* variable, const char* defaultBelowHome) {
    if (const char* value = std::getenv(variable); value && *value) {
        std::filesystem::path p(value);
        if (p.is_absolute())
            return p;
    }
    return homeFolder() / defaultBelowHome;
}

} // namespace

UserFolders userFolders() {
    return {xdgFolder("XDG_DATA_HOME", ".local/share"), xdgFolder("XDG_CONFIG_HOME", ".config")};
}

std::filesystem::path SupportFolder::path() {
    return userFolders().dataHome / ApplicationFolderName;
}

std::filesystem::path SupportFolder::olderPath() {
    return userFolders().dataHome / OlderFolderName;
}

std::filesystem::path SupportFolder::preferencesFolder() {
    return userFolders().configHome / ApplicationFolderName;
}

std::filesystem::path SupportFolder::preferencesFile() {
    return preferencesFolder() / "preferences.json";
}

} // namespace brivel::app
