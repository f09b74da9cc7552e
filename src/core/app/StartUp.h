#pragma once

#include "core/app/Preferences.h"

#include <filesystem>
#include <vector>

namespace brivel::app {

// The start-up sequence of the application; brivel-cli runs the same preparation and opens
// nothing. Start-up shows no message: a failed file operation leaves the disk as it was and the
// sequence goes on.
class StartUp {
public:
    struct Result {
        // Database paths of the accounts whose record is marked open, in list order, each once.
        std::vector<std::filesystem::path> accountsToOpen;
    };

    // The whole sequence: prepare(), then the accounts to open.
    static Result run(Preferences& preferences);

    // Registers the factory preferences, moves the older support folder into place when the
    // support folder does not exist yet, and makes the default account's folder and database
    // when they are missing, then removes what crashed runs left behind (LeftoverCleanup).
    // Repeating it does no harm.
    static void prepare(Preferences& preferences);

    // The database paths of the records marked open ("open" missing counts as not open).
    static std::vector<std::filesystem::path> accountsToOpen(const Preferences& preferences);
};

} // namespace brivel::app
