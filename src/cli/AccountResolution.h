#pragma once

#include "core/app/AccountLock.h"
#include "core/app/Preferences.h"

#include <cstddef>
#include <filesystem>
#include <functional>
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

// The lock of an account that a command changes, taken before the account is loaded and held
// until the command ends. CliFailure (one line, exit 1) when the account is open in the desktop
// application or another command keeps it busy for longer than the wait.
app::AccountLock lockAccount(const ResolvedAccount& account);
// Runs change as one edit of the preferences: locked against other processes, started from the
// file as it is now, written back before the lock goes. CliFailure when the preferences cannot
// be locked or written.
void editPreferences(const std::function<void()>& change);

} // namespace brivel::cli
