#pragma once

namespace CLI {
class App;
}

namespace brivel::cli {

// Each group of commands registers itself on the top-level app.
void registerAccountsCommands(CLI::App& app); // accounts, strategies, indices
void registerRecordCommands(CLI::App& app);   // trades, orders, journal, notes, barriers
void registerReportCommands(CLI::App& app);   // report
void registerExportCommands(CLI::App& app);   // export
void registerImportCommands(CLI::App& app);   // import trades
void registerCsvCommands(CLI::App& app);      // csv parse, csv write
void registerStatsCommands(CLI::App& app);    // stats

// The start-up preparation every command runs first (factory preferences, older folder, default
// account); opens no account.
void runStartupPreparation();

} // namespace brivel::cli
