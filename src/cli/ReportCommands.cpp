#include "cli/AccountResolution.h"
#include "cli/CliOptions.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/DateInput.h"
#include "cli/OutputTarget.h"
#include "cli/RecordJson.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/StrategyNames.h"
#include "core/model/AccountStore.h"
#include "core/platform/AtomicFile.h"
#include "core/report/HtmlRenderer.h"
#include "core/report/PlainTextRenderer.h"
#include "core/report/ReportGenerator.h"

#include <CLI/CLI.hpp>
#include <fmt/format.h>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace brivel::cli {

namespace {

struct ReportOptions {
    std::string account;
    std::string type;
    std::string from;
    std::string to;
    std::string ticker;
    std::string format = "text";
    std::optional<std::string> output;
};

const CLI::Validator ReportTypeText(
    [](std::string& text) {
        return report::reportTypeFromName(text)
                   ? std::string()
                   : "not a report type: journal, notes, flagged, trades, details or 1 to 5";
    },
    "TYPE");

// The strategy names of the preferences, read when the formatter asks for them.
report::StrategyList preferredStrategies() {
    return app::strategyNames(preparedPreferences());
}

void runReport(const ReportOptions& o) {
    const auto database = resolveAccountDatabase(o.account);
    Error error;
    auto context = model::openAccountStore(database, &error);
    if (!context)
        throw CliFailure(fmt::format("cannot open the account {}: {}", o.account, error.message()));

    report::ReportRequest request;
    request.type = *report::reportTypeFromName(o.type); // checked by the option's validator
    request.ticker = o.ticker;
    request.beginDate = *parseInputDate(o.from); // checked by the options' validators
    request.endDate = *parseRangeEnd(o.to);

    report::ReportFormatter formatter(preferredStrategies);
    const report::StyledText text = report::generateReport(request, *context, formatter);
    const std::string out = o.format == "html"
                                ? report::renderHtml(text, "Brivel Trade Journal Report")
                                : report::renderPlainText(text);

    if (o.output) {
        bool written = writeOutputFile(
            *o.output,
            [&](const std::filesystem::path& path, Error* failure) {
                std::ofstream file(path, std::ios::binary | std::ios::trunc);
                file << out;
                file.close();
                if (!file && failure) {
                    failure->domain = errors::FileDomain;
                    failure->code = errors::FileWriteUnknown;
                    failure->localizedDescription =
                        fmt::format("The file \"{}\" could not be written.", path.string());
                }
                return static_cast<bool>(file);
            },
            &error);
        if (!written)
            throw CliFailure(fmt::format("cannot write {}: {}", *o.output, error.message()));
        return;
    }
    std::cout << out;
    // The empty-result text has no line break of its own; a terminal wants one.
    if (!out.empty() && out.back() != '\n')
        std::cout << '\n';
    std::cout.flush();
    if (!std::cout)
        throw CliFailure("cannot write the report to standard output");
}

} // namespace

void registerReportCommands(CLI::App& app) {
    auto opts = std::make_shared<ReportOptions>();
    auto* command = app.add_subcommand(
        "report", "Print a report of an account over a date range, as the report view shows it");
    addAccountOption(command, opts->account);
    command
        ->add_option("--type", opts->type,
                     "journal, notes, flagged, trades, details (or their codes 1 to 5)")
        ->required()
        ->check(ReportTypeText);
    command
        ->add_option("--from", opts->from, "Begin of the range (included; a date alone: midnight)")
        ->required()
        ->check(dateText());
    command
        ->add_option("--to", opts->to,
                     "End of the range (included; a date alone: the whole day, to 23:59:59)")
        ->required()
        ->check(dateText());
    command->add_option("--ticker", opts->ticker,
                        "Ticker filter for notes, trades and details: case and accents ignored, "
                        "* and ? as wildcards");
    command->add_option("--format", opts->format, "text (default) or html")
        ->check(CLI::IsMember({"text", "html"}));
    command->add_option("-o,--output", opts->output, "Write to FILE instead of standard output");
    command->callback([opts] { runReport(*opts); });
}

} // namespace brivel::cli
