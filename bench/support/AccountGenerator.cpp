#include "support/AccountGenerator.h"

#include <cmath>

#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/Uuid.h"

#include <array>
#include <random>
#include <stdexcept>
#include <string>

namespace brivel::bench {

using namespace brivel::model;

namespace {
const std::array<const char*, 12> Tickers = {"AAPL", "MSFT", "NVDA", "AMZN", "GOOG", "META",
                                             "TSLA", "AMD",  "NFLX", "INTC", "SPY",  "QQQ"};
const std::array<const char*, 3> Indices = {"NASDAQ", "DOW", "S&P 500"};
const std::array<double, 3> IndexLevels = {16000.0, 39000.0, 5200.0};
const std::array<const char*, 6> Words = {"breakout",      "pullback to support", "earnings gap",
                                          "failed retest", "trend day",           "range, waited"};
} // namespace

void fillAccount(store::ObjectContext& ctx, const GeneratorOptions& opt) {
    std::mt19937 rng(opt.seed);
    auto pick = [&](auto& list) { return list[rng() % list.size()]; };
    std::uniform_real_distribution<double> priceDist(5.0, 500.0);
    const double day = 86400.0;
    // Undo is not wanted for generated data, and would only cost memory.
    ctx.undoManager().disableUndoRegistration();

    for (std::size_t i = 0; i < opt.logs; ++i) {
        // Notes from the New York open (14:30 UTC) on.
        double when = opt.firstDay + static_cast<double>(i) * day + 14.5 * 3600;
        auto* log = Log::insertInManagedObjectContext(&ctx);
        log->setDate(Date(when));
        for (std::size_t b = 0; b < opt.barriersPerLog; ++b) {
            auto* pb = PriceBarrier::insertInManagedObjectContext(&ctx);
            pb->setTicker(std::string(Indices[b % Indices.size()]));
            // Within 10 % of where each index trades.
            const double level =
                IndexLevels[b % IndexLevels.size()] * (0.9 + priceDist(rng) / 5000);
            pb->setSupportValue(level);
            pb->setResistanceValue(level * 1.03);
            log->addPriceBarrierObject(pb);
        }
        for (std::size_t n = 0; n < opt.notesPerLog; ++n) {
            auto* note = Note::insertInManagedObjectContext(&ctx);
            note->setTimestamp(Date(when + static_cast<double>(n) * 1800));
            note->setTicker(std::string(pick(Tickers)));
            note->setComment(std::string(pick(Words)) + ", watching " + pick(Tickers) +
                             " near the open; volume " + std::to_string(rng() % 100000));
            note->setFlagValue(rng() % 10 == 0);
            log->addNoteObject(note);
        }
    }
    const double span = static_cast<double>(opt.logs ? opt.logs : 1) * day;
    for (std::size_t i = 0; i < opt.trades; ++i) {
        // Spread over the days, each trade within the New York session (14:30 to 20:00 UTC).
        const double at = span * static_cast<double>(i) / static_cast<double>(opt.trades);
        const double dayStart = std::floor(at / day) * day;
        double when = opt.firstDay + dayStart + 14.5 * 3600 + (at - dayStart) / day * 4.5 * 3600;
        auto* trade = Trade::insertInManagedObjectContext(&ctx);
        trade->setTicker(std::string(pick(Tickers)));
        trade->setTradeStrategyValue(static_cast<std::int16_t>(rng() % 5));
        auto* image = ChartImage::insertInManagedObjectContext(&ctx);
        image->setEntryImg("B0W1/" + makeUuidString() + ".png");
        image->setExitImg("B0W1/" + makeUuidString() + ".png");
        trade->setChartImg(image);
        double profit = 0;
        double entry = priceDist(rng);
        std::size_t pairs = opt.ordersPerTrade / 2;
        for (std::size_t k = 0; k < opt.ordersPerTrade; ++k) {
            auto* order = Order::insertInManagedObjectContext(&ctx);
            bool opening = k < pairs;
            std::int32_t shares = 100 * static_cast<std::int32_t>(1 + (k % pairs == 0 ? 1 : 2));
            double price = opening ? entry : entry * (0.95 + (rng() % 100) / 1000.0);
            double commission = 1.0 + (rng() % 100) / 100.0;
            order->setDate(Date(when + static_cast<double>(k) * 600));
            order->setDesc("Position " + std::to_string(k % pairs + 1));
            order->setIsBuyValue(opening);
            order->setNumSharesValue(shares);
            order->setPriceValue(price);
            order->setCommissionValue(commission);
            order->setReason(std::string(pick(Words)));
            trade->addOrderObject(order);
            profit += (opening ? -1 : 1) * price * shares - commission;
        }
        trade->setDate(Date(when));
        trade->setIsClosedValue(pairs > 0);
        trade->setProfitValue(pairs > 0 ? profit : 0.0);
    }
    ctx.undoManager().enableUndoRegistration();
}

void generateAccount(const std::filesystem::path& path, const GeneratorOptions& options) {
    Error e;
    if (!createEmptyAccountStore(path, &e))
        throw std::runtime_error(e.message());
    auto ctx = openAccountStore(path, &e);
    if (!ctx)
        throw std::runtime_error(e.message());
    fillAccount(*ctx, options);
    ctx->manualScheduler().runUntilIdle();
    if (!ctx->save(&e))
        throw std::runtime_error(e.message());
}

} // namespace brivel::bench
