// stats: performance figures, equity curve and daily results of an account's closed trades.

#include "cli/AccountResolution.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/RecordJson.h"
#include "core/app/StrategyNames.h"
#include "core/csv/CsvWriter.h"
#include "core/model/AccountStore.h"
#include "core/stats/StatsFormatter.h"
#include "core/stats/TradeStatistics.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <fmt/format.h>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

namespace brivel::cli {

namespace {

using nlohmann::json;
using stats::Figures;

struct StatsOptions {
    std::string account;
    std::optional<std::string> from, to, strategy, ticker, by, csvFile;
    bool json = false;
};

const CLI::Validator InputDate(
    [](std::string& text) {
        return parseInputDate(text) ? std::string()
                                    : "not a date: YYYY-MM-DD or YYYY-MM-DDTHH:MM[:SS][Z|+HH:MM]";
    },
    "DATE");

// The end of a range: a bare date means the whole day.
std::optional<Date> rangeEnd(const std::string& text, const stats::LocalCalendar& calendar) {
    const auto date = parseInputDate(text);
    if (!date || text.size() != 10)
        return date;
    const auto day = calendar.dayOf(*date);
    const auto next =
        stats::LocalCalendar::civilFromDays(stats::LocalCalendar::daysFromCivil(day) + 1);
    // The last representable moment of the day: a close at 23:59:59.5 still belongs to it.
    return calendar.startOfDay(next).addingSeconds(-0.001);
}

json optionalNumber(const std::optional<double>& v) {
    return v ? json(*v) : json(nullptr);
}

json figuresJson(const Figures& f, json out = json::object()) {
    out["trades"] = f.trades;
    out["wins"] = f.wins;
    out["losses"] = f.losses;
    out["breakEven"] = f.breakEven;
    out["winRate"] = optionalNumber(f.winRate);
    out["averageWin"] = optionalNumber(f.averageWin);
    out["averageLoss"] = optionalNumber(f.averageLoss);
    out["largestWin"] = optionalNumber(f.largestWin);
    out["largestLoss"] = optionalNumber(f.largestLoss);
    out["grossProfit"] = f.grossProfit;
    out["grossLoss"] = f.grossLoss;
    out["netProfit"] = f.netProfit;
    out["commissions"] = f.commissions;
    out["profitFactor"] = optionalNumber(f.profitFactor);
    out["expectancy"] = optionalNumber(f.expectancy);
    out["payoffRatio"] = optionalNumber(f.payoffRatio);
    out["maxDrawdown"] = nullptr;
    if (f.maxDrawdown) {
        const auto& d = *f.maxDrawdown;
        out["maxDrawdown"] = {{"amount", d.amount},
                              {"peakDate", d.peakDate ? json(isoDate(*d.peakDate)) : json(nullptr)},
                              {"lowDate", d.lowDate ? json(isoDate(*d.lowDate)) : json(nullptr)}};
    }
    out["longestWinRun"] = f.longestWinRun;
    out["longestLossRun"] = f.longestLossRun;
    out["holdingTime"] = nullptr;
    if (f.holdingTime)
        out["holdingTime"] = {{"average", f.holdingTime->average},
                              {"median", f.holdingTime->median}};
    return out;
}

json resultJson(const stats::StatisticsResult& r) {
    json out = figuresJson(r.figures);
    out["openTrades"] = r.openTrades;
    if (r.breakdownKind) {
        json rows = json::array();
        for (const auto& row : r.breakdown)
            rows.push_back(figuresJson(row.figures, json{{"key", row.key}}));
        out["breakdown"] = std::move(rows);
    }
    json equity = json::array();
    for (const auto& p : r.equity)
        equity.push_back({{"date", isoDate(p.date)}, {"value", p.value}});
    out["equity"] = std::move(equity);
    json daily = json::array();
    for (const auto& d : r.daily)
        daily.push_back(
            {{"date", d.day.isoText()}, {"netProfit", d.netProfit}, {"trades", d.trades}});
    out["daily"] = std::move(daily);
    return out;
}

// Pads to a width in characters (not bytes).
std::string padded(const std::string& text, std::size_t width, bool right = false) {
    std::size_t chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80 ? 1 : 0;
    const std::string fill(chars < width ? width - chars : 0, ' ');
    return right ? fill + text : text + fill;
}

std::string textSummary(const stats::StatisticsResult& r, const std::string& heading) {
    const stats::StatsFormatter format;
    std::string out = heading + "\n\n";
    for (const auto& row : format.rows(r.figures))
        out += padded(row.label, 24) + row.value + "\n";
    out += padded("Open trades", 24) + format.count(r.openTrades);
    for (std::size_t i = 0; i < r.openPositions.size(); ++i)
        out +=
            fmt::format("{}{} {}", i == 0 ? "  (" : ", ",
                        r.openPositions[i].ticker.empty() ? "no ticker" : r.openPositions[i].ticker,
                        r.openPositions[i].shares);
    out += r.openPositions.empty() ? "\n" : ")\n";
    if (!r.breakdownKind)
        return out;
    out += fmt::format("\nBy {}\n", stats::breakdownKindName(*r.breakdownKind));
    std::size_t keyWidth = 12;
    for (const auto& row : r.breakdown)
        keyWidth = std::max(keyWidth, row.key.size() + 2);
    out += padded("", keyWidth) + padded("Trades", 8, true) + padded("Win rate", 10, true) +
           padded("Net profit", 16, true) + padded("Profit factor", 15, true) +
           padded("Expectancy", 14, true) + "\n";
    for (const auto& row : r.breakdown) {
        const auto& f = row.figures;
        out += padded(row.key.empty() ? "(none)" : row.key, keyWidth) +
               padded(format.count(f.trades), 8, true) +
               padded(f.winRate ? format.percent(*f.winRate) : "\u2013", 10, true) +
               padded(format.money(f.netProfit), 16, true) +
               padded(f.profitFactor ? format.ratio(*f.profitFactor) : "\u2013", 15, true) +
               padded(f.expectancy ? format.money(*f.expectancy) : "\u2013", 14, true) + "\n";
    }
    return out;
}

std::string csvNumber(const std::optional<double>& v, int decimals) {
    return v ? fmt::format("{:.{}f}", *v, decimals) : std::string();
}

// The breakdown table: one line per row, plain numbers (money to the cent, rates as fractions,
// durations in seconds) for spreadsheets.
void writeBreakdownCsv(const stats::StatisticsResult& r, const std::string& file) {
    csv::CsvWriter writer(file, true);
    writer.writeLineWithFields(std::vector<std::string>{"key",
                                                        "trades",
                                                        "wins",
                                                        "losses",
                                                        "breakEven",
                                                        "winRate",
                                                        "averageWin",
                                                        "averageLoss",
                                                        "largestWin",
                                                        "largestLoss",
                                                        "grossProfit",
                                                        "grossLoss",
                                                        "netProfit",
                                                        "commissions",
                                                        "profitFactor",
                                                        "expectancy",
                                                        "payoffRatio",
                                                        "maxDrawdown",
                                                        "longestWinRun",
                                                        "longestLossRun",
                                                        "averageHoldingTime",
                                                        "medianHoldingTime"});
    for (const auto& row : r.breakdown) {
        const Figures& f = row.figures;
        const auto hold = f.holdingTime;
        writer.writeLineWithFields(std::vector<std::string>{
            row.key,
            std::to_string(f.trades),
            std::to_string(f.wins),
            std::to_string(f.losses),
            std::to_string(f.breakEven),
            csvNumber(f.winRate, 4),
            csvNumber(f.averageWin, 2),
            csvNumber(f.averageLoss, 2),
            csvNumber(f.largestWin, 2),
            csvNumber(f.largestLoss, 2),
            csvNumber(f.grossProfit, 2),
            csvNumber(f.grossLoss, 2),
            csvNumber(f.netProfit, 2),
            csvNumber(f.commissions, 2),
            csvNumber(f.profitFactor, 4),
            csvNumber(f.expectancy, 2),
            csvNumber(f.payoffRatio, 4),
            csvNumber(f.maxDrawdown ? std::optional(f.maxDrawdown->amount) : std::nullopt, 2),
            std::to_string(f.longestWinRun),
            std::to_string(f.longestLossRun),
            csvNumber(hold ? std::optional(hold->average) : std::nullopt, 0),
            csvNumber(hold ? std::optional(hold->median) : std::nullopt, 0)});
    }
    writer.closeFile();
    if (writer.error())
        throw CliFailure(fmt::format("cannot write {}: {}", file, writer.error()->message()));
}

std::string heading(const ResolvedAccount& account, const StatsOptions& o) {
    std::string h = fmt::format("Statistics of {} ({})", account.name, account.folderCode);
    if (o.from || o.to)
        h += fmt::format(", {} to {}", o.from.value_or("the first trade"),
                         o.to.value_or("the last trade"));
    if (o.strategy)
        h += fmt::format(", strategy {}", *o.strategy);
    if (o.ticker && !o.ticker->empty())
        h += fmt::format(", ticker {}", *o.ticker);
    return h;
}

void runStats(const StatsOptions& o) {
    const ResolvedAccount account = resolveAccount(o.account);
    const auto names = app::strategyNames(preparedPreferences());
    stats::StatsFilter filter;
    const stats::TradeStatistics statistics(names);
    if (o.from)
        filter.from = parseInputDate(*o.from); // checked by the option's validator
    if (o.to)
        filter.to = rangeEnd(*o.to, statistics.calendar());
    if (o.strategy) {
        filter.strategy = stats::strategyPosition(*o.strategy, names);
        if (!filter.strategy)
            throw CliFailure(
                fmt::format("no strategy \"{}\": give its name or its position", *o.strategy));
    }
    filter.tickerPattern = o.ticker.value_or(std::string());

    Error error;
    auto context = model::openAccountStore(account.databasePath, &error);
    if (!context)
        throw CliFailure(
            fmt::format("cannot open the account \"{}\": {}", account.folderCode, error.message()));
    std::optional<stats::BreakdownKind> by;
    if (o.by)
        by = stats::breakdownKindFromName(*o.by); // checked by the option's validator
    const auto result = statistics.compute(*context, filter, by);

    if (o.csvFile)
        writeBreakdownCsv(result, *o.csvFile);
    if (o.json)
        printJson(resultJson(result));
    else if (!o.csvFile)
        std::cout << textSummary(result, heading(account, o)) << std::flush;
    if (!std::cout)
        throw CliFailure("cannot write the statistics to standard output");
}

std::string helpText() {
    std::string text =
        "Performance figures of an account's closed trades.\n\n"
        "A trade counts when it is closed and its close date, the latest of its orders' dates,\n"
        "lies in the range (both ends included; a bare --to date means the whole day). Open\n"
        "trades are counted apart, with the shares they still hold per ticker. Days, months and\n"
        "weekdays are those of the time zone (TZ). --json gives every figure (money as numbers,\n"
        "rates as fractions, durations in seconds, null where a figure does not exist), the\n"
        "breakdown asked for, the equity curve (the total after each trade, from 0) and the\n"
        "daily results.\n\nFigures:\n";
    for (const auto& d : stats::StatsFormatter::definitions())
        text += fmt::format("  {}: {}\n", d.label, d.definition);
    return text;
}

} // namespace

void registerStatsCommands(CLI::App& app) {
    auto o = std::make_shared<StatsOptions>();
    auto* cmd = app.add_subcommand("stats", "Performance figures, equity curve and daily results");
    cmd->footer(helpText());
    cmd->add_option("-a,--account", o->account, "The account: folder code or name")->required();
    cmd->add_option("--from", o->from, "Begin of the range (included)")->check(InputDate);
    cmd->add_option("--to", o->to, "End of the range (included; a bare date: the whole day)")
        ->check(InputDate);
    cmd->add_option("--strategy", o->strategy, "Only this strategy: its name or position");
    cmd->add_option("--ticker", o->ticker,
                    "Ticker pattern: case and accents ignored, * and ? as wildcards");
    cmd->add_option("--by", o->by, "Breakdown by strategy, ticker, month or weekday")
        ->check(CLI::IsMember({"strategy", "ticker", "month", "weekday"}));
    cmd->add_flag("--json", o->json, "One JSON document on standard output");
    cmd->add_option("--csv", o->csvFile, "Write the breakdown table (needs --by) to FILE")
        ->needs("--by");
    cmd->callback([o] { runStats(*o); });
}

} // namespace brivel::cli
