#pragma once

#include <filesystem>

namespace brivel::app {

// The user's base folders, from $XDG_DATA_HOME and $XDG_CONFIG_HOME (or their defaults under
// $HOME). This is the only place that reads them, so tests redirect everything by setting them.
struct UserFolders {
    std::filesystem::path dataHome;   // stands in for the application-support folder
    std::filesystem::path configHome; // holds the preferences folder
};
UserFolders userFolders();

// Where the application keeps its files. Every path is formed afresh from the environment, so
// nothing goes stale when a test or the user changes it.
class SupportFolder {
public:
    // ".../Brivel Trade Journal": the account folders live here.
    static std::filesystem::path path();
    // ".../Brivel": the folder of an earlier release, moved into place at start.
    static std::filesystem::path olderPath();
    // "$XDG_CONFIG_HOME/Brivel Trade Journal".
    static std::filesystem::path preferencesFolder();
    // ".../preferences.json" in the preferences folder.
    static std::filesystem::path preferencesFile();
};

} // namespace brivel::app
