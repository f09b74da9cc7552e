#pragma once

#include "core/app/Preferences.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace brivel::cli {

// An account as the command line names it.
struct ResolvedAccount {
    std::size_t position = 0; // in "arrayOfAccounts"
    std::string folderCode;
    std::string name;
    std::filesystem::path databasePath;
};

// The account named by its folder code or, failing that, by a name no other account has.
// Throws CliFailure with a message saying what was wrong otherwise. Runs the start-up
// preparation first.
ResolvedAccount resolveAccount(const std::string& codeOrName);
std::filesystem::path resolveAccountDatabase(const std::string& codeOrName);

// The preferences of this run, after the start-up preparation (which it runs when needed).
app::Preferences& preparedPreferences();
// Writes the preferences to disk; CliFailure when they cannot be written.
void savePreferences();

} // namespace brivel::cli
