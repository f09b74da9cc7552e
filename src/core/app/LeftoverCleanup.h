#pragma once

#include "core/app/Preferences.h"

#include <filesystem>
#include <string>
#include <vector>

namespace brivel::app {

// Removes what a crashed process left in the support folder and the preferences folder, and
// only what no living process still uses:
// - ".CODE.restore-PID-...", ".CODE.replaced-PID-..." and ".CODE.backup-PID-..." work folders
//   and ".brivel-backup-PID-....zip" archives whose process is gone (work folders of older
//   releases, named without a process, once the account's lock is free);
// - "database.brdb.new-PID" files in account folders whose process is gone;
// - the folder of an "accounts new" that died before writing its record (its ".CODE.new-PID"
//   marker says so), when no record names it and its lock is free; a recorded one keeps its
//   folder and loses the marker;
// - ".preferences.json.tmp-..." files, under the preferences lock (every write of the file
//   holds it, so any found then is a leftover);
// - lock files of account folders that are gone, when free.
// Runs at every start-up, quickly when there is nothing to do. Never fails; what cannot be
// removed stays for the next start.
class LeftoverCleanup {
public:
    // What was removed, by path, for the log and for tests.
    static std::vector<std::filesystem::path> run(const Preferences& preferences);

    // Whether the process of that id still runs.
    static bool processAlive(long pid);
};

} // namespace brivel::app
