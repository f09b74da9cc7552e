#include "core/app/AccountArrayController.h"

#include "core/app/PreferenceKeys.h"
#include "core/platform/SystemLog.h"

#include <algorithm>
#include <fmt/format.h>

namespace brivel::app {

using controllers::KeyValueCoding;
using store::Value;

AccountArrayController::AccountArrayController(Preferences& preferences, Prompter& prompter,
                                               CloseDocument closeDocument,
                                               AccountRegistry::RandomSource random)
    : controllers::ArrayController(
          std::make_unique<PreferenceArrayContent>(preferences, prefkeys::ArrayOfAccounts)),
      m_content(static_cast<PreferenceArrayContent*>(contentSource())), m_prompter(prompter),
      m_closeDocument(std::move(closeDocument)), m_registry(preferences, std::move(random)) {
    setAllowsMultipleSelection(false);
}

KeyValueCoding* AccountArrayController::newObject() {
    m_newAccountError.reset();
    KeyValueCoding* record = controllers::ArrayController::newObject();
    if (!record)
        return nullptr;
    Error error;
    std::optional<std::string> code = m_registry.makeAccountFolder(&error);
    if (!code) {
        m_content->discardNewObject(record);
        systemLog().log(error.message());
        m_newAccountError = error;
        m_prompter.alert("New Account Failed", error.message());
        return nullptr;
    }
    record->setValueForKey(Value::string(AccountRecord::NewAccountName), prefkeys::AccountName);
    record->setValueForKey(Value::string(*code), prefkeys::AccountDirectory);
    return record;
}

void AccountArrayController::remove() {
    removeSelectedAccount();
}

AccountArrayController::RemoveOutcome AccountArrayController::removeSelectedAccount() {
    RemoveOutcome outcome;
    std::vector<KeyValueCoding*> selected = selectedObjects();
    if (selected.empty())
        return outcome;
    if (!m_prompter.confirm("Confirm Deletion",
                            "Are you sure you want to delete this Account? Data will be "
                            "permanently lost!",
                            "No", "Yes")) {
        outcome.result = RemoveResult::Declined;
        return outcome;
    }

    std::vector<AccountRecord> remaining;
    for (KeyValueCoding* object : m_content->objects())
        if (std::find(selected.begin(), selected.end(), object) == selected.end())
            remaining.push_back(
                AccountRecord::fromJson(static_cast<DictionaryObject*>(object)->dictionary()));

    for (KeyValueCoding* object : selected) {
        std::string code = object->valueForKey(prefkeys::AccountDirectory).toString();
        outcome.folderCodes.push_back(code);
        if (!AccountRecord::isUsableFolderCode(code))
            continue;
        if (m_closeDocument)
            m_closeDocument(AccountRecord::databasePath(code));
        Error error;
        if (!m_registry.removeAccountFolder(code, remaining, &error)) {
            systemLog().log(error.message());
            if (!outcome.folderError)
                outcome.folderError = error;
        }
    }
    removeObjects(selected);
    outcome.result = RemoveResult::Removed;
    if (outcome.folderError)
        m_prompter.alert("Account Folder Not Removed",
                         fmt::format("The account was deleted from the list, but its files were "
                                     "not all removed. {}",
                                     outcome.folderError->message()));
    return outcome;
}

void AccountArrayController::selectRowForContextMenu(std::optional<std::size_t> row) {
    if (row && *row < arrangedObjects().size())
        setSelectionIndexes({*row});
    else
        setSelectionIndexes({});
}

std::optional<AccountRecord> AccountArrayController::selectedAccount() const {
    std::vector<KeyValueCoding*> selected = selectedObjects();
    if (selected.empty())
        return std::nullopt;
    return AccountRecord::fromJson(static_cast<DictionaryObject*>(selected.front())->dictionary());
}

} // namespace brivel::app
