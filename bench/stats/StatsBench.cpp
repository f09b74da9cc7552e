// Statistics over the large generated account (100,000 closed trades, 400,000 orders): every
// figure, one breakdown, the equity curve and the daily results, as one compute() call; and the
// parts alone.
#include "core/model/AccountStore.h"
#include "core/stats/TradeStatistics.h"
#include "support/AccountGenerator.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

using namespace brivel;

namespace {

store::ObjectContext& account() {
    static std::unique_ptr<store::ObjectContext> context = [] {
        setenv("TZ", "America/New_York", 0);
        auto made = std::make_unique<store::ObjectContext>(model::accountModel());
        bench::fillAccount(*made, bench::GeneratorOptions{});
        made->manualScheduler().runUntilIdle();
        return made;
    }();
    return *context;
}

const std::vector<std::optional<std::string>> Strategies{"Breakout", "Pullback", "Reversal",
                                                         "Momentum", "Gap and Go"};

void BM_AllFiguresBreakdownCurveDaily(benchmark::State& state) {
    auto& context = account();
    const stats::TradeStatistics statistics(Strategies);
    const auto kind = static_cast<stats::BreakdownKind>(state.range(0));
    std::size_t counted = 0;
    for (auto _ : state) {
        auto result = statistics.compute(context, {}, kind);
        counted = result.figures.trades;
        benchmark::DoNotOptimize(result);
    }
    state.counters["trades"] = static_cast<double>(counted);
}
BENCHMARK(BM_AllFiguresBreakdownCurveDaily)
    ->Arg(static_cast<int>(stats::BreakdownKind::Strategy))
    ->Arg(static_cast<int>(stats::BreakdownKind::Ticker))
    ->Arg(static_cast<int>(stats::BreakdownKind::Month))
    ->Arg(static_cast<int>(stats::BreakdownKind::Weekday))
    ->Unit(benchmark::kMillisecond);

// Selecting the counted trades alone (reading the account), with a ticker pattern.
void BM_CountedTradesWithTickerPattern(benchmark::State& state) {
    auto& context = account();
    const stats::TradeStatistics statistics(Strategies);
    stats::StatsFilter filter;
    filter.tickerPattern = "a*";
    for (auto _ : state)
        benchmark::DoNotOptimize(statistics.countedTrades(context, filter));
}
BENCHMARK(BM_CountedTradesWithTickerPattern)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
