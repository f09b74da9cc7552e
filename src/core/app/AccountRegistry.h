#pragma once

#include "core/app/AccountRecord.h"
#include "core/app/Preferences.h"
#include "core/platform/Error.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace brivel::app {

// The accounts as the preferences list them, and the folders they name: what a new account
// makes on disk and what a deletion removes.
class AccountRegistry {
public:
    // A uniform 32-bit random number per call.
    using RandomSource = std::function<std::uint32_t()>;

    // Without a random source, the system's strong random source is used.
    explicit AccountRegistry(Preferences& preferences, RandomSource random = {});

    std::vector<AccountRecord> records() const;

    // The folder code of four draws r1..r4, in the order drawn: "A" + r4 mod 25, "0" + r3 mod 9,
    // "A" + r2 mod 25, "0" + r1 mod 9.
    static std::string folderCodeFromDraws(std::uint32_t r1, std::uint32_t r2, std::uint32_t r3,
                                           std::uint32_t r4);

    // Draws folder codes until one names neither an existing folder nor a listed record, makes
    // that folder (inside the existing support folder) and an empty account database in it, and
    // returns the code. Never touches an existing folder or database. Nothing is left behind on
    // failure.
    //
    // Until accountRecorded(code), a marker beside the folder (".CODE.new-PID") says the folder
    // is not yet in the list: start-up clean-up removes such a folder once its maker is gone
    // without having written its record (a crash), and only then.
    std::optional<std::string> makeAccountFolder(Error* error);
    // The new account's record is in the preferences file: its folder is an account like any.
    static void accountRecorded(const std::string& folderCode);
    // The marker of a folder made by this process and not yet recorded.
    static std::filesystem::path newAccountMarker(const std::string& folderCode);

    // Removes an account's folder with everything in it, unless a record that stays in the list
    // still names the same folder (deleting one record must not destroy another's data) or the
    // code could lead outside the support folder. A folder already gone is fine.
    bool removeAccountFolder(const std::string& folderCode,
                             const std::vector<AccountRecord>& remainingRecords, Error* error);

private:
    std::uint32_t draw();

    Preferences& m_preferences;
    RandomSource m_random;
};

} // namespace brivel::app
