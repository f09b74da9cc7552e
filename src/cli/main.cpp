#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/TerminalSafeOutput.h"
#include "core/platform/ProcessHeap.h"

#include <CLI/CLI.hpp>
#include <clocale>
#include <exception>
#include <iostream>

#ifndef BRIVEL_VERSION
#define BRIVEL_VERSION "0.0.0"
#endif

int main(int argc, char** argv) {
    brivel::tuneHeapForLargeAccounts();
    std::setlocale(LC_ALL, "");
    brivel::cli::TerminalSafeOutput terminalSafe;
    CLI::App app{"Brivel Trade Journal: the command-line front end", "brivel-cli"};
    app.set_version_flag("--version", std::string("brivel-cli ") + BRIVEL_VERSION);
    app.require_subcommand(1);

    brivel::cli::registerAccountsCommands(app);
    brivel::cli::registerTradeCommands(app);
    brivel::cli::registerJournalCommands(app);
    brivel::cli::registerReportCommands(app);
    brivel::cli::registerExportCommands(app);
    brivel::cli::registerImportCommands(app);
    brivel::cli::registerCsvCommands(app);
    brivel::cli::registerStatsCommands(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int rc = app.exit(e);
        return rc == 0 ? 0 : 2;
    } catch (const brivel::cli::CliFailure& e) {
        std::cerr << "brivel-cli: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "brivel-cli: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
