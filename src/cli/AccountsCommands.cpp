#include "cli/AccountResolution.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/app/AccountArrayController.h"
#include "core/app/AccountBackup.h"
#include "core/app/AccountCommands.h"
#include "core/app/PreferenceArrayContent.h"
#include "core/app/PreferenceKeys.h"
#include "core/platform/ProcessRunner.h"
#include "core/platform/Prompter.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <iostream>
#include <memory>

namespace brivel::cli {

namespace {

using store::Value;

std::string withDetail(const std::string& text, const std::string& detail) {
    return detail.empty() ? text : fmt::format("{} ({})", text, detail);
}

void requireText(const std::string& value, const char* what) {
    if (value.empty())
        throw CliFailure(fmt::format("the {} must not be empty", what));
}

void registerAccountsList(CLI::App* accounts) {
    auto* list = accounts->add_subcommand("list", "List the accounts");
    auto listJson = std::make_shared<bool>(false);
    list->add_flag("--json", *listJson, "Print the account records as JSON");
    list->callback([listJson] {
        runStartupPreparation();
        nlohmann::json records = preparedPreferences().arrayForKey(app::prefkeys::ArrayOfAccounts);
        if (*listJson) {
            printJson(records);
            return;
        }
        for (const auto& entry : records) {
            auto r = app::AccountRecord::fromJson(entry);
            std::cout << fmt::format("{}  {:4}  {}\n", r.directory, r.opensAtStart() ? "open" : "",
                                     r.name);
        }
    });
}

void registerAccountsNew(CLI::App* accounts) {
    auto* make = accounts->add_subcommand("new", "Make a new account; prints its folder code");
    auto name = std::make_shared<std::optional<std::string>>();
    make->add_option("--name", *name, "The account's name (default \"New Account\")");
    make->callback([name] {
        runStartupPreparation();
        if (*name)
            requireText(**name, "name");
        std::string code;
        // The folder is made and its record written inside one preferences edit: another
        // "accounts new" cannot write back a list without this record.
        editPreferences([&] {
            TerminalPrompter prompter(false);
            app::AccountArrayController controller(preparedPreferences(), prompter);
            controllers::KeyValueCoding* record = controller.add();
            if (!record)
                throw CliFailure(controller.lastNewAccountError()
                                     ? controller.lastNewAccountError()->message()
                                     : std::string("the new account could not be created"));
            if (*name)
                record->setValueForKey(Value::string(**name), app::prefkeys::AccountName);
            code = record->valueForKey(app::prefkeys::AccountDirectory).toString();
        });
        app::AccountRegistry::accountRecorded(code);
        std::cout << code << '\n';
    });
}

void registerAccountsRename(CLI::App* accounts) {
    auto* rename = accounts->add_subcommand("rename", "Rename an account");
    auto renameArgs = std::make_shared<std::pair<std::string, std::string>>();
    rename->add_option("ACCOUNT", renameArgs->first, "Folder code or name")->required();
    rename->add_option("NAME", renameArgs->second, "The new name")->required();
    rename->callback([renameArgs] {
        runStartupPreparation();
        requireText(renameArgs->second, "name");
        editPreferences([&] {
            ResolvedAccount account = resolveAccount(renameArgs->first);
            app::PreferenceArrayContent content(preparedPreferences(),
                                                app::prefkeys::ArrayOfAccounts);
            content.objectAt(account.position)
                ->setValueForKey(Value::string(renameArgs->second), app::prefkeys::AccountName);
        });
    });
}

void registerAccountsSetOpen(CLI::App* accounts) {
    auto* setOpen = accounts->add_subcommand("set-open", "Whether an account opens at start-up");
    auto setOpenArgs = std::make_shared<std::pair<std::string, std::string>>();
    setOpen->add_option("ACCOUNT", setOpenArgs->first, "Folder code or name")->required();
    setOpen->add_option("STATE", setOpenArgs->second, "on or off")
        ->required()
        ->check(CLI::IsMember({"on", "off"}));
    setOpen->callback([setOpenArgs] {
        runStartupPreparation();
        editPreferences([&] {
            ResolvedAccount account = resolveAccount(setOpenArgs->first);
            app::PreferenceArrayContent content(preparedPreferences(),
                                                app::prefkeys::ArrayOfAccounts);
            content.objectAt(account.position)
                ->setValueForKey(Value::boolean(setOpenArgs->second == "on"),
                                 app::prefkeys::AccountOpen);
        });
    });
}

void registerAccountsDelete(CLI::App* accounts) {
    auto* remove = accounts->add_subcommand("delete", "Delete an account and all its files");
    auto removeArgs = std::make_shared<std::pair<std::string, bool>>();
    remove->add_option("ACCOUNT", removeArgs->first, "Folder code or name")->required();
    remove->add_flag("--yes", removeArgs->second, "Do not ask for confirmation");
    remove->callback([removeArgs] {
        runStartupPreparation();
        // No writer of the account may be half way through while its folder goes.
        app::AccountLock lock = lockAccount(resolveAccount(removeArgs->first));
        TerminalPrompter prompter(removeArgs->second);
        std::optional<Error> folderError;
        editPreferences([&] {
            ResolvedAccount account = resolveAccount(removeArgs->first);
            app::AccountArrayController controller(preparedPreferences(), prompter);
            controller.setSelectionIndexes({account.position});
            auto outcome = controller.removeSelectedAccount();
            if (outcome.result != app::AccountArrayController::RemoveResult::Removed)
                throw CliFailure("cancelled; the account was not deleted");
            folderError = outcome.folderError;
        });
        if (folderError)
            throw CliFailure(prompter.lastAlert());
    });
}

void registerAccountsBackup(CLI::App* accounts) {
    auto* backup = accounts->add_subcommand("backup", "Back an account up to a zip archive");
    auto backupArgs = std::make_shared<std::pair<std::string, std::string>>();
    backup->add_option("ACCOUNT", backupArgs->first, "Folder code or name")->required();
    backup->add_option("FILE", backupArgs->second, "The archive to write (replaced if present)")
        ->required();
    backup->callback([backupArgs] {
        runStartupPreparation();
        ResolvedAccount account = resolveAccount(backupArgs->first);
        PosixProcessRunner runner;
        app::AccountBackup tool(runner);
        TerminalPrompter prompter(false);
        app::AccountCommands commands(prompter, tool);
        app::ArchiveOutcome outcome =
            commands.backupAccount(account.folderCode, backupArgs->second);
        if (!outcome.succeeded)
            throw CliFailure(withDetail(prompter.lastAlert(), outcome.detail));
        std::cout << "Backup completed successfully.\n";
    });
}

void registerAccountsRestore(CLI::App* accounts) {
    auto* restore = accounts->add_subcommand(
        "restore", "Replace an account's files with those of a backup archive");
    struct RestoreArgs {
        std::string account, file;
        bool yes = false;
    };
    auto restoreArgs = std::make_shared<RestoreArgs>();
    restore->add_option("ACCOUNT", restoreArgs->account, "Folder code or name")->required();
    restore->add_option("FILE", restoreArgs->file, "The backup archive")->required();
    restore->add_flag("--yes", restoreArgs->yes, "Do not ask for confirmation");
    restore->callback([restoreArgs] {
        runStartupPreparation();
        ResolvedAccount account = resolveAccount(restoreArgs->account);
        app::AccountLock lock = lockAccount(account);
        PosixProcessRunner runner;
        app::AccountBackup tool(runner);
        TerminalPrompter prompter(restoreArgs->yes);
        app::AccountCommands commands(prompter, tool);
        auto outcome = commands.restoreAccount(account.folderCode, restoreArgs->file);
        if (!outcome)
            throw CliFailure("cancelled; the account was not restored");
        if (!outcome->succeeded)
            throw CliFailure(withDetail(prompter.lastAlert(), outcome->detail));
        std::cout << "Restore completed successfully.\n";
    });
}

// strategies and indices: the two preference lists, edited through a list controller as the
// Preferences window does.
void registerPreferenceList(CLI::App& app, const char* command, const char* preferenceKey,
                            const char* entryKey, const char* what) {
    auto* group = app.add_subcommand(command, fmt::format("List, add and remove {}", command));
    group->require_subcommand(1);

    auto controllerFor = [preferenceKey] {
        return std::make_unique<controllers::ArrayController>(
            std::make_unique<app::PreferenceArrayContent>(preparedPreferences(), preferenceKey));
    };
    auto print = [preferenceKey, entryKey](bool json) {
        nlohmann::json entries = preparedPreferences().arrayForKey(preferenceKey);
        if (json) {
            printJson(entries);
            return;
        }
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const auto& e = entries[i];
            std::string text = e.is_object() && e.contains(entryKey) && e[entryKey].is_string()
                                   ? e[entryKey].get<std::string>()
                                   : std::string();
            std::cout << fmt::format("{}  {}\n", i, text);
        }
    };

    auto* list =
        group->add_subcommand("list", fmt::format("List the {} with their positions", command));
    auto listJson = std::make_shared<bool>(false);
    list->add_flag("--json", *listJson, "Print the list as stored, as JSON");
    list->callback([listJson, print] {
        runStartupPreparation();
        print(*listJson);
    });

    auto* add = group->add_subcommand("add", fmt::format("Append a {}; prints its position", what));
    auto addArgs = std::make_shared<std::pair<std::string, bool>>();
    add->add_option("NAME", addArgs->first, "The entry's text")->required();
    add->add_flag("--json", addArgs->second, "Print the list after the change, as JSON");
    add->callback([addArgs, controllerFor, print, entryKey, what] {
        runStartupPreparation();
        requireText(addArgs->first, what);
        std::size_t position = 0;
        editPreferences([&] {
            auto controller = controllerFor();
            controllers::KeyValueCoding* entry = controller->newObject();
            entry->setValueForKey(Value::string(addArgs->first), entryKey);
            controller->addObject(entry);
            position = controller->arrangedObjects().size() - 1;
        });
        if (addArgs->second)
            print(true);
        else
            std::cout << position << '\n';
    });

    auto* remove =
        group->add_subcommand("remove", fmt::format("Remove the {} at a position", what));
    auto removeArgs = std::make_shared<std::pair<std::size_t, bool>>();
    remove->add_option("POSITION", removeArgs->first, "0-based, as list shows it")->required();
    remove->add_flag("--json", removeArgs->second, "Print the list after the change, as JSON");
    remove->callback([removeArgs, controllerFor, print, what] {
        runStartupPreparation();
        editPreferences([&] {
            auto controller = controllerFor();
            const std::size_t count = controller->arrangedObjects().size();
            if (removeArgs->first >= count)
                throw CliFailure(fmt::format("there is no {} at position {} (the list has {} {})",
                                             what, removeArgs->first, count,
                                             count == 1 ? "entry" : "entries"));
            controller->setSelectionIndexes({removeArgs->first});
            controller->remove();
        });
        if (removeArgs->second)
            print(true);
    });
}

} // namespace

void registerAccountsCommands(CLI::App& app) {
    auto* accounts = app.add_subcommand("accounts", "List, make, change, delete, back up and "
                                                    "restore accounts");
    accounts->require_subcommand(1);
    registerAccountsList(accounts);
    registerAccountsNew(accounts);
    registerAccountsRename(accounts);
    registerAccountsSetOpen(accounts);
    registerAccountsDelete(accounts);
    registerAccountsBackup(accounts);
    registerAccountsRestore(accounts);
    registerPreferenceList(app, "strategies", app::prefkeys::ArrayOfStrategies,
                           app::prefkeys::Strategy, "strategy");
    registerPreferenceList(app, "indices", app::prefkeys::ArrayOfIndices, app::prefkeys::Index,
                           "index");
}

} // namespace brivel::cli
