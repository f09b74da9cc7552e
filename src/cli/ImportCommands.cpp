// import trades: the program's own trade export or a broker's execution file, into an account,
// through the same record rules as typing the orders.

#include "cli/AccountResolution.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "core/import/TradeImporter.h"
#include "core/model/AccountStore.h"
#include "core/platform/Clock.h"
#include "core/platform/LocaleFormatter.h"
#include "core/store/UndoManager.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <iostream>
#include <memory>
#include <optional>

namespace brivel::cli {

namespace {

using nlohmann::json;

struct ImportCliOptions {
    std::string what, account, file;
    std::optional<std::string> format;
    std::vector<std::string> maps;
    bool dryRun = false, skipBadLines = false, keepDuplicates = false, json = false;
};

std::string money(double value) {
    return LocaleFormatter().number(value);
}

std::string describe(const import::BadLine& bad) {
    if (bad.column.empty())
        return fmt::format("line {} ({}): {}", bad.line, bad.value, bad.message);
    return fmt::format("line {}, column \"{}\", value \"{}\": {}", bad.line, bad.column, bad.value,
                       bad.message);
}

import::ImportOptions coreOptions(const ImportCliOptions& o){import::ImportOptions options;
if (o.format)
    options.format =
        *o.format == "brivel" ? import::ImportFormat::Brivel : import::ImportFormat::Executions;
for (const auto& m : o.maps) {
    auto eq = m.find('=');
    options.columnMap.emplace_back(m.substr(0, eq), m.substr(eq + 1));
}
options.skipBadLines = o.skipBadLines;
options.keepDuplicates = o.keepDuplicates;
return options;
} // namespace

json summaryJson(const import::ImportSummary& s, bool dryRun) {
    json skipped = json::array();
    for (const auto& b : s.skippedLines)
        skipped.push_back(
            {{"line", b.line}, {"column", b.column}, {"value", b.value}, {"message", b.message}});
    return json{{"dryRun", dryRun},
                {"format", import::formatName(s.format)},
                {"tradesCreated", s.tradesCreated},
                {"ordersCreated", s.ordersCreated},
                {"tradesClosed", s.tradesClosed},
                {"netProfit", s.netProfit},
                {"duplicatesSkipped", s.duplicatesSkipped},
                {"strategiesAdded", s.strategiesAdded},
                {"linesSkipped", s.skippedLineCount},
                {"skippedLines", skipped}};
}

void printSummary(const import::ImportSummary& s, bool dryRun) {
    if (dryRun)
        std::cout << "Dry run: nothing was written. The import would create:\n";
    std::cout << fmt::format("Format: {}\n", import::formatName(s.format));
    std::cout << fmt::format("Trades created: {}\n", s.tradesCreated);
    std::cout << fmt::format("Orders created: {}\n", s.ordersCreated);
    std::cout << fmt::format("Trades closed: {}, net profit {}\n", s.tradesClosed,
                             money(s.netProfit));
    std::cout << fmt::format("Duplicates skipped: {}\n", s.duplicatesSkipped);
    for (const auto& name : s.strategiesAdded)
        std::cout << fmt::format("Strategy added: \"{}\"\n", name);
    if (s.skippedLineCount > 0) {
        std::cout << fmt::format("Lines skipped: {}\n", s.skippedLineCount);
        for (const auto& b : s.skippedLines)
            std::cout << "  " << describe(b) << '\n';
        if (s.skippedLines.size() < s.skippedLineCount)
            std::cout << fmt::format("  ... and {} more\n",
                                     s.skippedLineCount - s.skippedLines.size());
    }
}

void runImport(const ImportCliOptions& o) {
    const ResolvedAccount account = resolveAccount(o.account);
    // A dry run only reads; a real import holds the account from before the load to the save.
    app::AccountLock lock;
    if (!o.dryRun)
        lock = lockAccount(account);
    Error error;
    auto context = model::openAccountStore(account.databasePath, &error);
    if (!context)
        throw CliFailure(
            fmt::format("cannot open the account \"{}\": {}", account.folderCode, error.message()));
    SystemClock clock;
    TerminalPrompter prompter(false);
    import::TradeImporter importer(*context, preparedPreferences(), clock, prompter,
                                   account.folderCode);
    const import::ImportPlan plan = importer.read(o.file, coreOptions(o));
    if (plan.failure)
        throw CliFailure(*plan.failure + "; nothing was imported");
    if (plan.badLineCount > 0 && !o.skipBadLines)
        throw CliFailure(fmt::format(
            "{}; nothing was imported ({} bad line{}; --skip-bad-lines imports the others)",
            describe(plan.badLines.front()), plan.badLineCount, plan.badLineCount > 1 ? "s" : ""));

    // Nothing is undone from the command line: keeping undo steps would only cost memory.
    std::optional<store::UndoRegistrationPause> noUndo(std::in_place, context->undoManager());
    const import::ImportSummary summary = importer.apply(plan, !o.dryRun);
    noUndo.reset();
    if (!o.dryRun) {
        context->manualScheduler().runUntilIdle();
        if (!context->save(&error))
            throw CliFailure(fmt::format("the account could not be saved: {}; nothing was imported",
                                         error.message()));
        if (!summary.strategiesAdded.empty())
            savePreferences();
    }
    if (o.json)
        printJson(summaryJson(summary, o.dryRun));
    else
        printSummary(summary, o.dryRun);
}

const CLI::Validator ColumnChoice(
    [](std::string& text) {
        auto eq = text.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == text.size())
            return std::string("use NAME=COLUMN, e.g. price=\"Fill Price\"");
        return std::string();
    },
    "NAME=COLUMN");

} // namespace brivel::cli

void registerImportCommands(CLI::App& app) {
    auto o = std::make_shared<ImportCliOptions>();
    auto* cmd = app.add_subcommand("import", "Import trades from a CSV file into an account");
    cmd->add_option("what", o->what, "trades")->required()->check(CLI::IsMember({"trades"}));
    addAccountOption(cmd, o->account);
    cmd->add_option("file", o->file, "The CSV file: a trade export or a broker's executions")
        ->required();
    cmd->add_option("--format", o->format,
                    "brivel (the trade export) or executions; default: by the header")
        ->check(CLI::IsMember({"brivel", "executions"}));
    cmd->add_option("--map", o->maps,
                    "Match an execution field (date, time, symbol, side, quantity, price, "
                    "commission, description) to a column, by header or position")
        ->check(ColumnChoice);
    cmd->add_flag("--dry-run", o->dryRun, "Say what would be created; write nothing");
    cmd->add_flag("--skip-bad-lines", o->skipBadLines,
                  "Import the lines that are understood and list the others");
    cmd->add_flag("--keep-duplicates", o->keepDuplicates,
                  "Import executions the account already holds");
    cmd->add_flag("--json", o->json, "Print the summary as JSON");
    cmd->callback([o] { runImport(*o); });
}

} // namespace brivel::cli
