#pragma once

#include "core/app/AccountRecord.h"
#include "core/app/AccountRegistry.h"
#include "core/app/PreferenceArrayContent.h"
#include "core/app/Preferences.h"
#include "core/controllers/ArrayController.h"
#include "core/platform/Error.h"
#include "core/platform/Prompter.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace brivel::app {

// The list controller over "arrayOfAccounts": its add command makes a new account with its
// folder and database, its remove command asks first and deletes the account's folder with its
// record. One row at most is selected, so every command works on one account.
class AccountArrayController final : public controllers::ArrayController {
public:
    // Closes the document open for an account's database, if any, without asking (its unsaved
    // changes are dropped). The application provides it.
    using CloseDocument = std::function<void(const std::filesystem::path& databasePath)>;

    AccountArrayController(Preferences& preferences, Prompter& prompter,
                           CloseDocument closeDocument = {},
                           AccountRegistry::RandomSource random = {});

    // A new record named "New Account" with a fresh folder code, its folder and an empty
    // database made; nullptr (after a "New Account Failed" alert) when they cannot be made.
    controllers::KeyValueCoding* newObject() override;
    void remove() override;

    enum class RemoveResult { NothingSelected, Declined, Removed };
    struct RemoveOutcome {
        RemoveResult result = RemoveResult::NothingSelected;
        std::vector<std::string> folderCodes; // of the removed records
        std::optional<Error> folderError;     // a folder that could not be removed completely
    };
    // The remove command with its outcome: "Confirm Deletion" first, then for each selected
    // account its open document closed and its folder removed, then the records taken out.
    RemoveOutcome removeSelectedAccount();

    // The row under the pointer becomes the only selected row; no row (a click below the last
    // one) clears the selection.
    void selectRowForContextMenu(std::optional<std::size_t> row);
    std::optional<AccountRecord> selectedAccount() const;
    // The error of the last newObject that failed.
    const std::optional<Error>& lastNewAccountError() const { return m_newAccountError; }

    PreferenceArrayContent& content() const { return *m_content; }

private:
    PreferenceArrayContent* m_content;
    Prompter& m_prompter;
    CloseDocument m_closeDocument;
    AccountRegistry m_registry;
    std::optional<Error> m_newAccountError;
};

} // namespace brivel::app
