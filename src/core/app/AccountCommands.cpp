#include "core/app/AccountCommands.h"

#include "core/app/AccountRecord.h"

namespace brivel::app {

AccountCommands::AccountCommands(Prompter& prompter, const AccountBackup& backup,
                                 DocumentHooks hooks)
    : m_prompter(prompter), m_backup(backup), m_hooks(std::move(hooks)) {}

void AccountCommands::openAccount(const std::string& folderCode) const {
    if (m_hooks.openDocument && AccountRecord::isUsableFolderCode(folderCode))
        m_hooks.openDocument(AccountRecord::databasePath(folderCode));
}

ArchiveOutcome AccountCommands::backupAccount(const std::string& folderCode,
                                              const std::filesystem::path& archive) const {
    ArchiveOutcome outcome = m_backup.backup(folderCode, archive);
    showBackupOutcome(outcome);
    return outcome;
}

void AccountCommands::showBackupOutcome(const ArchiveOutcome& outcome) const {
    if (outcome.succeeded)
        m_prompter.alert("Backup Complete!", "Backup completed successfully.");
    else
        m_prompter.alert("Backup Failed!", "Backup failed, please try again.");
}

bool AccountCommands::confirmRestore() const {
    return m_prompter.confirm("Confirm Restore",
                              "Are you sure you want to restore this account? Any data in the "
                              "current account will be permanently lost!",
                              "No", "Yes");
}

ArchiveOutcome AccountCommands::finishRestore(StagedRestore staged) const {
    ArchiveOutcome outcome;
    if (staged.ok()) {
        // The document must let go of the old database before its folder is replaced.
        const auto database = AccountRecord::databasePath(staged.folderCode());
        const bool wasOpen = m_hooks.closeDocument && m_hooks.closeDocument(database);
        outcome = m_backup.commitRestore(staged);
        if (!outcome.succeeded && wasOpen && m_hooks.openDocument)
            m_hooks.openDocument(database); // the old folder is still in place
    } else {
        outcome.detail = staged.failure();
    }
    if (!outcome.succeeded) {
        m_prompter.alert("Restore Failed!", "Restore failed, please try again.");
        return outcome;
    }
    m_prompter.alert("Restore Complete!",
                     "Restore completed successfully. Your new account will now open ...");
    openAccount(staged.folderCode());
    return outcome;
}

std::optional<ArchiveOutcome>
AccountCommands::restoreAccount(const std::string& folderCode,
                                const std::filesystem::path& archive) const {
    if (!confirmRestore())
        return std::nullopt;
    return finishRestore(m_backup.stageRestore(folderCode, archive));
}

} // namespace brivel::app
