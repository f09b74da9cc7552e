// Building reports over a large generated account: the trades report of every trade and the
// trade details report of 10,000 trades among 100,000 notes (chart images are only named, never
// loaded, so image loading is not part of the figures).
#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Trade.h"
#include "core/platform/Clock.h"
#include "core/report/HtmlRenderer.h"
#include "core/report/PlainTextRenderer.h"
#include "core/report/ReportGenerator.h"
#include "core/report/ReportQuery.h"
#include "support/AccountGenerator.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unistd.h>

using namespace brivel;
using namespace brivel::report;

namespace {

const bench::GeneratorOptions Options{}; // 100,000 trades, 20,000 logs, 100,000 notes
constexpr double Day = 86400.0;

struct Account {
    std::filesystem::path folder;
    std::unique_ptr<store::ObjectContext> context;
};
std::filesystem::path g_madeFolder;

// The generated account in an account folder of its own, made and opened once per run.
Account& account() {
    static Account made = [] {
        setenv("LC_ALL", "en_US.UTF-8", 0);
        setenv("TZ", "America/New_York", 0);
        Account a;
        a.folder = std::filesystem::temp_directory_path() /
                   ("brivel-report-bench-" + std::to_string(getpid())) / "B0W1";
        std::filesystem::create_directories(a.folder);
        g_madeFolder = a.folder.parent_path();
        bench::generateAccount(a.folder / "database.brdb", Options);
        Error error;
        a.context = model::openAccountStore(a.folder / "database.brdb", &error);
        if (!a.context)
            throw std::runtime_error(error.message());
        return a;
    }();
    return made;
}

void removeAccount() {
    if (!g_madeFolder.empty())
        std::filesystem::remove_all(g_madeFolder);
}

StrategyList strategies() {
    return {"Breakout", "Pullback", "Gap and go", "Reversal", "Trend"};
}

// The range that holds the first `trades` trades of the generated account (they are spread
// evenly over the days of the journal).
ReportRequest firstTrades(ReportType type, std::size_t trades) {
    const double span = static_cast<double>(Options.logs) * Day;
    const double end =
        Options.firstDay + span * static_cast<double>(trades) / static_cast<double>(Options.trades);
    return ReportRequest{type, "", Date(Options.firstDay), Date(end - 1)};
}

void runReport(benchmark::State& state, const ReportRequest& request) {
    auto& ctx = *account().context;
    FixedClock clock(Date(Options.firstDay + static_cast<double>(Options.logs) * Day));
    ReportFormatter formatter(strategies, &clock);
    auto count =
        ReportQuery()
            .queryWithTicker(request.ticker, request.type, request.beginDate, request.endDate, ctx)
            .value_or(std::vector<store::ManagedObject*>{})
            .size();
    std::size_t bytes = 0;
    for (auto _ : state) {
        StyledText text = generateReport(request, ctx, formatter);
        bytes = text.string().size();
        benchmark::DoNotOptimize(text);
    }
    state.counters["trades"] = static_cast<double>(count);
    state.counters["textMB"] = static_cast<double>(bytes) / 1e6;
}

// Query and layout of the trades report of every trade.
void BM_TradesReport_AllTrades(benchmark::State& state) {
    runReport(state, firstTrades(ReportType::TradesReport, Options.trades));
}
BENCHMARK(BM_TradesReport_AllTrades)->Unit(benchmark::kMillisecond)->MinTime(5);

// Query and layout of the details report of 10,000 trades, with the notes around each.
void BM_TradeDetailsReport_10000(benchmark::State& state) {
    runReport(state, firstTrades(ReportType::TradeDetailsReport, 10000));
}
BENCHMARK(BM_TradeDetailsReport_10000)->Unit(benchmark::kMillisecond)->MinTime(5);

// The details report of every trade, for scale.
void BM_TradeDetailsReport_AllTrades(benchmark::State& state) {
    runReport(state, firstTrades(ReportType::TradeDetailsReport, Options.trades));
}
BENCHMARK(BM_TradeDetailsReport_AllTrades)->Unit(benchmark::kMillisecond)->MinTime(5);

// What the notes of a details block cost when each trade runs the notes query over the whole
// account instead of the index (per trade; compare with the details report per trade).
void BM_NotesQueryPerTrade_Scan(benchmark::State& state) {
    auto& ctx = *account().context;
    auto trades = ReportQuery()
                      .queryWithTicker("", ReportType::TradesReport, Date(Options.firstDay),
                                       Date(Options.firstDay + 30 * Day), ctx)
                      .value_or(std::vector<store::ManagedObject*>{});
    std::size_t i = 0;
    for (auto _ : state) {
        auto* trade = static_cast<model::Trade*>(trades[i++ % trades.size()]);
        auto notes = ReportQuery().queryWithTicker(*trade->ticker(), ReportType::NotesReport,
                                                   trade->date()->addingSeconds(-Day),
                                                   trade->date()->addingSeconds(2 * Day), ctx);
        benchmark::DoNotOptimize(notes);
    }
}
BENCHMARK(BM_NotesQueryPerTrade_Scan)->Unit(benchmark::kMillisecond);

void BM_RenderPlainText_TradesReport(benchmark::State& state) {
    auto& ctx = *account().context;
    ReportFormatter formatter(strategies);
    StyledText text =
        generateReport(firstTrades(ReportType::TradesReport, Options.trades), ctx, formatter);
    for (auto _ : state)
        benchmark::DoNotOptimize(renderPlainText(text));
}
BENCHMARK(BM_RenderPlainText_TradesReport)->Unit(benchmark::kMillisecond);

void BM_RenderHtml_TradesReport(benchmark::State& state) {
    auto& ctx = *account().context;
    ReportFormatter formatter(strategies);
    StyledText text =
        generateReport(firstTrades(ReportType::TradesReport, Options.trades), ctx, formatter);
    for (auto _ : state)
        benchmark::DoNotOptimize(renderHtml(text));
}
BENCHMARK(BM_RenderHtml_TradesReport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    removeAccount();
    return 0;
}
