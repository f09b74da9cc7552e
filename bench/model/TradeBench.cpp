// A trade's re-evaluation under bursts of order edits: 10,000 trades of four orders receive
// 100,000 edits of the observed keys, and the scheduler is drained after every burst, as the main
// loop would after each user event.
#include "core/model/AccountStore.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/Scheduler.h"
#include "support/AccountGenerator.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace brivel;

namespace {

constexpr std::size_t Trades = 10000;
constexpr std::size_t Edits = 100000;

// Counts what the trades schedule, then runs it from a manual queue.
class CountingScheduler final : public Scheduler {
public:
    void schedule(double delaySeconds, std::function<void()> fn) override {
        ++scheduled;
        queue.schedule(delaySeconds, std::move(fn));
    }
    ManualScheduler queue;
    std::size_t scheduled = 0;
};

struct Account {
    Account() : context(std::make_unique<store::ObjectContext>(model::accountModel())) {
        bench::GeneratorOptions options;
        options.trades = Trades;
        options.ordersPerTrade = 4;
        options.logs = 0;
        bench::fillAccount(*context, options);
        context->setScheduler(&scheduler);
        context->setNotificationCenter(&center);
        for (auto* t : model::Trade::fetchNewFetchRequest(context.get()))
            trades.push_back(t);
        context->undoManager().removeAllActions();
    }
    CountingScheduler scheduler;
    NotificationCenter center;
    std::unique_ptr<store::ObjectContext> context;
    std::vector<model::Trade*> trades;
};

// One edit of one of the five observed keys. The values move on every time, so that no edit is a
// no-op, and the share and description edits open and close the position again in turn.
void edit(model::Order& order, std::size_t n) {
    switch (n % 4) {
    case 0:
        order.setPriceValue(order.priceValue() + 0.01);
        break;
    case 1:
        order.setCommissionValue(order.commissionValue() == 1.0 ? 2.0 : 1.0);
        break;
    case 2:
        order.setNumSharesValue(order.numSharesValue() ^ 1);
        break;
    default: {
        std::string d = order.desc().value_or("");
        order.setDesc(d.ends_with(" ") ? d.substr(0, d.size() - 1) : d + " ");
        break;
    }
    }
}

// Bursts of state.range(0) edits, each burst on one trade (typing into its order rows) or spread
// over random trades (state.range(1) == 1), drained after each burst.
void BM_OrderEditBursts(benchmark::State& state) {
    const auto burst = static_cast<std::size_t>(state.range(0));
    const bool scattered = state.range(1) == 1;
    Account account;
    std::mt19937 rng(7);
    std::size_t reevaluations = 0;
    for (auto _ : state) {
        const std::size_t before = account.scheduler.scheduled;
        for (std::size_t done = 0; done < Edits;) {
            model::Trade* focus = account.trades[rng() % Trades];
            for (std::size_t i = 0; i < burst && done < Edits; ++i, ++done) {
                model::Trade* t = scattered ? account.trades[rng() % Trades] : focus;
                auto orders = t->order();
                edit(*orders[done % orders.size()], done / 4);
            }
            account.context->undoManager().endEventGroup();
            account.scheduler.queue.runUntilIdle();
        }
        reevaluations += (account.scheduler.scheduled - before) / 2;
        state.PauseTiming();
        account.context->undoManager().removeAllActions();
        state.ResumeTiming();
    }
    state.counters["edits"] = static_cast<double>(Edits);
    state.counters["reevaluations"] =
        benchmark::Counter(static_cast<double>(reevaluations), benchmark::Counter::kAvgIterations);
    state.counters["edit_rate"] = benchmark::Counter(static_cast<double>(Edits),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_OrderEditBursts)
    ->ArgNames({"burst", "scattered"})
    ->Args({1, 0})
    ->Args({10, 0})
    ->Args({100, 0})
    ->Args({1000, 0})
    ->Args({100, 1})
    ->Args({1000, 1})
    ->Unit(benchmark::kMillisecond);

// The cost of one re-evaluation (closing decision, profit, description list and date).
void BM_ReevaluateEveryTrade(benchmark::State& state) {
    Account account;
    for (auto _ : state) {
        for (auto* t : account.trades)
            t->orderDidChange();
        account.scheduler.queue.runUntilIdle();
    }
    state.counters["reevaluation_rate"] = benchmark::Counter(
        static_cast<double>(Trades), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReevaluateEveryTrade)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
