#pragma once

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace brivel::app {

// One entry of "arrayOfAccounts": the name shown to the user, the account's folder code and
// whether it opens at start-up.
struct AccountRecord {
    static constexpr const char* DatabaseFileName = "database.brdb";
    static constexpr const char* DefaultFolderCode = "B0W1";
    static constexpr const char* NewAccountName = "New Account";

    std::string name;
    std::string directory;
    std::optional<bool> open; // absent counts as not open

    // Missing or mistyped entries read as empty (or absent for "open").
    static AccountRecord fromJson(const nlohmann::json& record);
    bool opensAtStart() const { return open.value_or(false); }

    // Whether a folder code can name a folder inside the support folder: one plain path
    // component. A hand-edited record with "" or ".." must never lead a deletion or a restore
    // to the support folder itself or beyond it.
    static bool isUsableFolderCode(std::string_view code);

    // The support folder joined with the folder code.
    static std::filesystem::path accountFolder(std::string_view folderCode);
    // The account folder joined with "database.brdb".
    static std::filesystem::path databasePath(std::string_view folderCode);
    // The folder code of a document opened from path: the 4 characters just before
    // "/database.brdb"; empty when the path does not end that way.
    static std::string folderCodeOfDocumentPath(std::string_view documentPath);
};

} // namespace brivel::app
