#include "cli/AccountResolution.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/OutputTarget.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/StrategyNames.h"
#include "core/export/CSVHandler.h"
#include "core/model/AccountStore.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace brivel::cli {

namespace {

struct ExportOptions {
    std::string what;
    std::string account;
    std::string file;
};

// The strategy names as the preferences hold them when the export runs.
exporting::CSVHandler::StrategyLookup strategyLookup() {
    return [](std::int64_t position) {
        return app::strategyNameAt(
            preparedPreferences().arrayForKey(app::prefkeys::ArrayOfStrategies), position);
    };
}

void runExport(const ExportOptions& o) {
    auto database = resolveAccountDatabase(o.account);
    Error error;
    auto context = model::openAccountStore(database, &error);
    if (!context)
        throw CliFailure(error.message());
    exporting::CSVHandler handler(strategyLookup());
    // A full disk must not cut the previous export short: it is replaced only when complete.
    bool written = writeOutputFile(
        o.file,
        [&](const std::filesystem::path& path, Error* failure) {
            auto failed = o.what == "trades" ? handler.writeTradesTo(path, *context)
                                             : handler.writeJournalTo(path, *context);
            if (failed && failure)
                *failure = *failed;
            return !failed;
        },
        &error);
    if (!written)
        throw CliFailure(error.message());
}

} // namespace

void registerExportCommands(CLI::App& app) {
    auto options = std::make_shared<ExportOptions>();
    auto* cmd = app.add_subcommand("export", "Export an account's trades or journal to CSV");
    cmd->add_option("what", options->what, "trades or journal")
        ->required()
        ->check(CLI::IsMember({"trades", "journal"}));
    addAccountOption(cmd, options->account);
    cmd->add_option("file", options->file, "The CSV file to write")->required();
    cmd->callback([options] { runExport(*options); });
}

} // namespace brivel::cli
