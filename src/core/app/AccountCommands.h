#pragma once

#include "core/app/AccountBackup.h"
#include "core/platform/Prompter.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace brivel::app {

// What the application does with account documents, for the commands that need it.
struct DocumentHooks {
    // Opens an account's database as a document, displayed (an open one comes forward).
    std::function<void(const std::filesystem::path& databasePath)> openDocument;
    // Closes the document open for that database, if any, without asking (its unsaved changes
    // are dropped). True when there was one, so that a restore that fails at the last step can
    // open it again.
    std::function<bool(const std::filesystem::path& databasePath)> closeDocument;
};

// The commands of the accounts window that work on the selected account: open, back up,
// restore, with their confirmation and result panels. Main thread; the long part of a backup or
// restore can run on a worker through AccountBackup, then come back to showBackupOutcome() or
// finishRestore() here.
class AccountCommands {
public:
    AccountCommands(Prompter& prompter, const AccountBackup& backup, DocumentHooks hooks = {});

    void openAccount(const std::string& folderCode) const;

    // Backs the account up (blocking) and shows the result panel.
    ArchiveOutcome backupAccount(const std::string& folderCode,
                                 const std::filesystem::path& archive) const;
    // "Backup Complete!" or "Backup Failed!".
    void showBackupOutcome(const ArchiveOutcome& outcome) const;

    // "Confirm Restore": true only for "Yes".
    bool confirmRestore() const;
    // The end of a restore staged by AccountBackup::stageRestore: closes the account's document,
    // swaps the restored folder in, shows "Restore Complete!" and then opens the account; or
    // shows "Restore Failed!" with the account and its document left as they were.
    ArchiveOutcome finishRestore(StagedRestore staged) const;
    // All of a restore in one blocking call; nothing (not even a panel) when the answer is "No".
    std::optional<ArchiveOutcome> restoreAccount(const std::string& folderCode,
                                                 const std::filesystem::path& archive) const;

private:
    Prompter& m_prompter;
    const AccountBackup& m_backup;
    DocumentHooks m_hooks;
};

} // namespace brivel::app
