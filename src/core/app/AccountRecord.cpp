#include "core/app/AccountRecord.h"

#include "core/app/PreferenceKeys.h"
#include "core/app/SupportFolder.h"

namespace brivel::app {

AccountRecord AccountRecord::fromJson(const nlohmann::json& record) {
    AccountRecord r;
    if (!record.is_object())
        return r;
    if (auto it = record.find(prefkeys::AccountName); it != record.end() && it->is_string())
        r.name = it->get<std::string>();
    if (auto it = record.find(prefkeys::AccountDirectory); it != record.end() && it->is_string())
        r.directory = it->get<std::string>();
    if (auto it = record.find(prefkeys::AccountOpen); it != record.end()) {
        if (it->is_boolean())
            r.open = it->get<bool>();
        else if (it->is_number())
            r.open = it->get<double>() != 0.0;
    }
    return r;
}

bool AccountRecord::isUsableFolderCode(std::string_view code) {
    if (code.empty() || code == "." || code == "..")
        return false;
    for (char c : code)
        if (c == '/' || c == '\0')
            return false;
    return true;
}

std::filesystem::path AccountRecord::accountFolder(std::string_view folderCode) {
    return SupportFolder::path() / std::string(folderCode);
}

std::filesystem::path AccountRecord::databasePath(std::string_view folderCode) {
    return accountFolder(folderCode) / DatabaseFileName;
}

std::string AccountRecord::folderCodeOfDocumentPath(std::string_view documentPath) {
    constexpr std::string_view suffix = "/database.brdb";
    constexpr std::size_t codeLength = 4;
    if (documentPath.size() < suffix.size() + codeLength ||
        documentPath.substr(documentPath.size() - suffix.size()) != suffix)
        return {};
    return std::string(
        documentPath.substr(documentPath.size() - suffix.size() - codeLength, codeLength));
}

} // namespace brivel::app
