#include "core/stats/TradeStatistics.h"
#include "core/stats/StatsTestSupport.h"

#include <gtest/gtest.h>

namespace brivel::test {
namespace {

using stats::BreakdownKind;
using stats::StatsFilter;
using stats::TradeStatistics;

// Every trade of the account, no strategy names.
stats::StatisticsResult computeAll(const StatsAccount& a) {
    return TradeStatistics({}, stats::LocalCalendar(newYork())).compute(*a.context, {});
}

// A week of five trades in March 2024 (New York):
//   T1 AAPL Breakout  Mon 10:00 -> Mon 15:00  +190 (100 @ 10 -> 12, 5 + 5 commission)
//   T2 MSFT Pullback  Mon 10:00 -> Tue 11:00  -110 (50 @ 20 -> 18, 5 + 5)
//   T3 AAPL Breakout  Wed 09:30 -> Wed 16:00     0 (10 @ 50 -> 50)
//   T4 TSLA Pullback  Wed 10:00 -> Thu 10:00  +100 (20 @ 100 -> 105)
//   T5 AAPL Breakout  Thu 12:00 -> Fri 12:00   -55 (100 @ 10 -> 9.5, 2.5 + 2.5)
class MixedWeek : public ::testing::Test {
protected:
    MixedWeek() {
        t1 = a.roundTrip("AAPL", 0, a.at(2024, 3, 4, 10), a.at(2024, 3, 4, 15), 100, 10, 12, 5);
        t2 = a.roundTrip("MSFT", 1, a.at(2024, 3, 4, 10), a.at(2024, 3, 5, 11), 50, 20, 18, 5);
        t3 = a.roundTrip("AAPL", 0, a.at(2024, 3, 6, 9, 30), a.at(2024, 3, 6, 16), 10, 50, 50);
        t4 = a.roundTrip("TSLA", 1, a.at(2024, 3, 6, 10), a.at(2024, 3, 7, 10), 20, 100, 105);
        t5 = a.roundTrip("AAPL", 0, a.at(2024, 3, 7, 12), a.at(2024, 3, 8, 12), 100, 10, 9.5, 2.5);
    }
    stats::StatisticsResult compute(const StatsFilter& filter = {},
                                    std::optional<BreakdownKind> by = std::nullopt) const {
        return TradeStatistics({"Breakout", "Pullback"}, stats::LocalCalendar(newYork()))
            .compute(*a.context, filter, by);
    }

    StatsAccount a;
    model::Trade *t1, *t2, *t3, *t4, *t5;
};

TEST_F(MixedWeek, EveryFigureTheEquityCurveAndTheDailyResults) {
    const auto r = compute();
    const auto& f = r.figures;
    EXPECT_EQ(f.trades, 5u);
    EXPECT_EQ(f.wins, 2u);
    EXPECT_EQ(f.losses, 2u);
    EXPECT_EQ(f.breakEven, 1u);
    EXPECT_DOUBLE_EQ(*f.winRate, 0.4);
    EXPECT_DOUBLE_EQ(*f.averageWin, 145);
    EXPECT_DOUBLE_EQ(*f.averageLoss, -82.5);
    EXPECT_DOUBLE_EQ(*f.largestWin, 190);
    EXPECT_DOUBLE_EQ(*f.largestLoss, -110);
    EXPECT_DOUBLE_EQ(f.grossProfit, 290);
    EXPECT_DOUBLE_EQ(f.grossLoss, -165);
    EXPECT_DOUBLE_EQ(f.netProfit, 125);
    EXPECT_DOUBLE_EQ(f.commissions, 25);
    EXPECT_DOUBLE_EQ(*f.profitFactor, 290.0 / 165.0);
    EXPECT_DOUBLE_EQ(*f.expectancy, 25);
    EXPECT_DOUBLE_EQ(*f.payoffRatio, 145 / 82.5);
    ASSERT_TRUE(f.maxDrawdown);
    EXPECT_DOUBLE_EQ(f.maxDrawdown->amount, 110);
    EXPECT_EQ(f.maxDrawdown->peakDate, a.at(2024, 3, 4, 15));
    EXPECT_EQ(f.maxDrawdown->lowDate, a.at(2024, 3, 5, 11));
    EXPECT_EQ(f.longestWinRun, 1u);
    EXPECT_EQ(f.longestLossRun, 1u);
    ASSERT_TRUE(f.holdingTime);
    // 5 h, 25 h, 6.5 h, 24 h, 24 h
    EXPECT_DOUBLE_EQ(f.holdingTime->average, (18000 + 90000 + 23400 + 86400 + 86400) / 5.0);
    EXPECT_DOUBLE_EQ(f.holdingTime->median, 86400);

    const std::vector<double> values{190, 80, 80, 180, 125};
    ASSERT_EQ(r.equity.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_DOUBLE_EQ(r.equity[i].value, values[i]) << i;
    EXPECT_EQ(r.equity.front().tradeId, t1->objectID());
    EXPECT_EQ(r.equity.back().date, a.at(2024, 3, 8, 12));

    ASSERT_EQ(r.daily.size(), 5u);
    const std::vector<double> perDay{190, -110, 0, 100, -55};
    for (std::size_t i = 0; i < perDay.size(); ++i) {
        EXPECT_EQ(r.daily[i].day, (stats::CivilDay{2024, 3, 4 + static_cast<int>(i)}));
        EXPECT_DOUBLE_EQ(r.daily[i].netProfit, perDay[i]);
        EXPECT_EQ(r.daily[i].trades, 1u);
    }
    EXPECT_EQ(r.daily[1].tradeIds, std::vector<store::ObjectID>{t2->objectID()});
}

TEST_F(MixedWeek, Breakdowns) {
    struct Case {
        BreakdownKind by;
        std::vector<std::string> keys;
        std::vector<double> net;
        std::vector<std::size_t> trades;
    };
    const std::vector<Case> cases{
        {BreakdownKind::Strategy, {"Breakout", "Pullback"}, {135, -10}, {3, 2}},
        {BreakdownKind::Ticker, {"AAPL", "MSFT", "TSLA"}, {135, -110, 100}, {3, 1, 1}},
        {BreakdownKind::Month, {"2024-03"}, {125}, {5}},
        {BreakdownKind::Weekday,
         {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday"},
         {190, -110, 0, 100, -55},
         {1, 1, 1, 1, 1}},
    };
    for (const auto& c : cases) {
        const auto r = compute({}, c.by);
        ASSERT_EQ(r.breakdown.size(), c.keys.size()) << stats::breakdownKindName(c.by);
        for (std::size_t i = 0; i < c.keys.size(); ++i) {
            EXPECT_EQ(r.breakdown[i].key, c.keys[i]);
            EXPECT_DOUBLE_EQ(r.breakdown[i].figures.netProfit, c.net[i]) << c.keys[i];
            EXPECT_EQ(r.breakdown[i].figures.trades, c.trades[i]) << c.keys[i];
            EXPECT_EQ(r.breakdown[i].tradeIds.size(), c.trades[i]) << c.keys[i];
        }
    }
    // A row's figures are those of its own trades: Breakout is +190, 0, -55.
    const auto breakout = compute({}, BreakdownKind::Strategy).breakdown[0].figures;
    EXPECT_EQ(breakout.breakEven, 1u);
    EXPECT_DOUBLE_EQ(*breakout.payoffRatio, 190.0 / 55.0);
    EXPECT_DOUBLE_EQ(breakout.maxDrawdown->amount, 55);
}

TEST_F(MixedWeek, StrategyAndTickerFilters) {
    // A ticker with a diacritic, and a trade without a ticker (strategy 0, +1 and +2).
    a.roundTrip("ÄAPL", 0, a.at(2024, 3, 8, 10), a.at(2024, 3, 8, 11), 1, 1, 2);
    auto* none = a.roundTrip("", 0, a.at(2024, 3, 8, 10), a.at(2024, 3, 8, 11), 1, 1, 3);
    none->setTicker(std::nullopt);
    struct Case {
        std::optional<std::int16_t> strategy;
        std::string ticker;
        std::size_t trades;
        double net;
    };
    const std::vector<Case> cases{
        {std::nullopt, "", 7, 128},
        {1, "", 2, -10},
        {std::nullopt, "aapl", 4, 136}, // diacritics ignored
        {std::nullopt, "?SLA", 1, 100},
        {std::nullopt, "*", 6, 126}, // a trade without a ticker never matches
        {0, "MS*", 0, 0},
        {std::nullopt, "AAP", 0, 0},
    };
    for (const auto& c : cases) {
        StatsFilter filter;
        filter.strategy = c.strategy;
        filter.tickerPattern = c.ticker;
        const auto f = compute(filter).figures;
        EXPECT_EQ(f.trades, c.trades) << c.ticker;
        EXPECT_DOUBLE_EQ(f.netProfit, c.net) << c.ticker;
    }
}

TEST_F(MixedWeek, ReopenedTradeLeavesTheFiguresAndCountsAsOpen) {
    // Selling only 5 of T4's 20 shares: the position no longer balances.
    auto orders = t4->order();
    auto* sell = orders[0]->isBuyValue() ? orders[1] : orders[0];
    sell->setNumSharesValue(5);
    a.settle();
    ASSERT_FALSE(t4->isClosedValue());
    const auto r = compute();
    EXPECT_EQ(r.figures.trades, 4u);
    EXPECT_DOUBLE_EQ(r.figures.netProfit, 25);
    EXPECT_EQ(r.openTrades, 1u);
    ASSERT_EQ(r.openPositions.size(), 1u);
    EXPECT_EQ(r.openPositions[0].ticker, "TSLA");
    EXPECT_EQ(r.openPositions[0].shares, 15);
}

TEST_F(MixedWeek, RangeIncludesBothEnds) {
    // A trade closed at the last second of Friday and one at the first second of Saturday.
    a.result(1000, a.at(2024, 3, 8, 23, 59, 59));
    a.result(5000, a.at(2024, 3, 9, 0, 0, 0));
    StatsFilter filter;
    filter.from = a.at(2024, 3, 5, 11); // T2's close, exactly
    filter.to = a.at(2024, 3, 8, 23, 59, 59);
    const auto f = compute(filter).figures;
    EXPECT_EQ(f.trades, 5u); // T2..T5 and the 23:59:59 trade
    EXPECT_DOUBLE_EQ(f.netProfit, -110 + 0 + 100 - 55 + 1000);

    filter.from = a.at(2024, 3, 10);
    filter.to = a.at(2024, 3, 1); // reversed: nothing, not a failure
    EXPECT_EQ(compute(filter).figures.trades, 0u);
}

TEST(TradeStatistics, NoCountedTradeLeavesRatiosAbsent) {
    StatsAccount a;
    auto* open = model::Trade::insertInManagedObjectContext(a.context.get());
    a.addOrder(open, true, 10, 5, a.at(2024, 1, 2, 10));
    a.settle();
    const auto r = computeAll(a);
    const auto& f = r.figures;
    EXPECT_EQ(f.trades, 0u);
    EXPECT_FALSE(f.winRate || f.averageWin || f.averageLoss || f.largestWin || f.largestLoss);
    EXPECT_FALSE(f.profitFactor || f.expectancy || f.payoffRatio || f.maxDrawdown || f.holdingTime);
    EXPECT_EQ(f.netProfit, 0.0);
    EXPECT_TRUE(r.equity.empty());
    EXPECT_TRUE(r.daily.empty());
    EXPECT_EQ(r.openTrades, 1u);
}

TEST(TradeStatistics, SingleLossHasNoProfitFactor) {
    StatsAccount a;
    a.result(-40, a.at(2024, 2, 1, 12));
    const auto f = computeAll(a).figures;
    EXPECT_EQ(f.losses, 1u);
    EXPECT_DOUBLE_EQ(*f.winRate, 0.0);
    EXPECT_FALSE(f.profitFactor || f.payoffRatio || f.averageWin);
    EXPECT_DOUBLE_EQ(*f.averageLoss, -40);
    EXPECT_DOUBLE_EQ(*f.expectancy, -40);
    // The fall is from the start (no peak date) to the loss.
    EXPECT_DOUBLE_EQ(f.maxDrawdown->amount, 40);
    EXPECT_FALSE(f.maxDrawdown->peakDate.has_value());
    EXPECT_EQ(f.maxDrawdown->lowDate, a.at(2024, 2, 1, 12));
    EXPECT_EQ(f.longestLossRun, 1u);
}

TEST(TradeStatistics, DrawdownFollowsANewPeakToADeeperLowAndRunsBreakAtEven) {
    StatsAccount a;
    // W W E L L W L L L: equity 100 120 120 70 -10 290 190 40 30.
    const std::vector<double> results{100, 20, 0, -50, -80, 300, -100, -150, -10};
    std::vector<Date> closes;
    for (std::size_t i = 0; i < results.size(); ++i) {
        closes.push_back(a.at(2024, 4, 1 + static_cast<int>(i), 12));
        a.result(results[i], closes.back());
    }
    const auto f = computeAll(a).figures;
    EXPECT_DOUBLE_EQ(f.maxDrawdown->amount, 260);
    EXPECT_EQ(f.maxDrawdown->peakDate, closes[5]);
    EXPECT_EQ(f.maxDrawdown->lowDate, closes[8]);
    EXPECT_EQ(f.maxDrawdown->peakTrade, 5u);
    EXPECT_EQ(f.maxDrawdown->lowTrade, 8u);
    EXPECT_EQ(f.longestWinRun, 2u);
    EXPECT_EQ(f.longestLossRun, 3u);
    EXPECT_EQ(f.breakEven, 1u);
}

TEST(TradeStatistics, TiesOnOneCloseDateGoByTradeIdentifier) {
    StatsAccount a;
    const Date close = a.at(2024, 5, 2, 15);
    auto* first = a.result(-30, close);
    auto* second = a.result(50, close);
    a.result(10, a.at(2024, 5, 1, 15));
    const auto r = computeAll(a);
    ASSERT_EQ(r.equity.size(), 3u);
    EXPECT_EQ(r.equity[1].tradeId, first->objectID());
    EXPECT_EQ(r.equity[2].tradeId, second->objectID());
    EXPECT_DOUBLE_EQ(r.equity[1].value, -20);
    // The fall from 10 to -20 happens between the two trades of the same instant.
    EXPECT_DOUBLE_EQ(r.figures.maxDrawdown->amount, 30);
    ASSERT_EQ(r.daily.size(), 2u);
    EXPECT_EQ(r.daily[1].trades, 2u);
    EXPECT_DOUBLE_EQ(r.daily[1].netProfit, 20);
}

TEST(TradeStatistics, FloatingPointDustIsBreakEven) {
    StatsAccount a;
    // What buying 3 at 0.10 and selling them one by one at 0.10 can leave in binary.
    a.result(0, a.at(2024, 1, 3, 11))
        ->setProfitValue(-0.1 - 0.1 - 0.1 + 0.30000000000000004 - 1e-16);
    a.result(0, a.at(2024, 1, 4, 11))->setProfitValue(2.7755575615628914e-17);
    a.result(0.01, a.at(2024, 1, 5, 11));
    const auto f = computeAll(a).figures;
    EXPECT_EQ(f.breakEven, 2u);
    EXPECT_EQ(f.wins, 1u); // a cent is a win
    EXPECT_EQ(f.losses, 0u);
    EXPECT_FALSE(f.profitFactor.has_value()); // no loss
    EXPECT_EQ(f.longestWinRun, 1u);
}

TEST(StrategyPosition, ByNameOrPosition) {
    const std::vector<std::optional<std::string>> names{"Breakout", std::nullopt, "Pullback", "7"};
    struct Case {
        std::string text;
        std::optional<std::int16_t> position;
    };
    const std::vector<Case> cases{{"Breakout", 0}, {"pullBACK", 2}, {"1", 1},    {"7", 3},
                                  {"12", 12},      {"-1", {}},      {"Gap", {}}, {"", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(stats::strategyPosition(c.text, names), c.position) << c.text;
}

TEST(LocalCalendar, DaysWeekdaysAndClockChanges) {
    const stats::LocalCalendar cal(newYork());
    // 2024-03-10 begins at 05:00 UTC (EST), the next day at 04:00 UTC (EDT).
    EXPECT_EQ(cal.startOfDay({2024, 3, 10}), Date(1710046800.0));
    EXPECT_EQ(cal.startOfDay({2024, 3, 11}), Date(1710129600.0));
    EXPECT_EQ(cal.dayOf(Date(1710129600.0 - 1)), (stats::CivilDay{2024, 3, 10}));
    EXPECT_EQ(cal.weekdayOf(Date(1710046800.0)), 7); // a Sunday
    // Back and forth over the clock change: the remembered offset must not leak across it.
    EXPECT_EQ(cal.dayOf(Date(1710046800.0 - 1)), (stats::CivilDay{2024, 3, 9}));
    EXPECT_EQ(cal.dayOf(Date(1710129600.0 - 1)), (stats::CivilDay{2024, 3, 10}));
    EXPECT_EQ(cal.dayOf(Date(1710129600.0 + 3600 * 23.5)), (stats::CivilDay{2024, 3, 11}));
    EXPECT_EQ(cal.dayOf(Date(1710046800.0 + 60)), (stats::CivilDay{2024, 3, 10}));
    // November: the hour after 01:00 comes twice, in the same day.
    EXPECT_EQ(cal.dayOf(Date(1730613600.0)), (stats::CivilDay{2024, 11, 3})); // 01:00 EST
    EXPECT_EQ(cal.dayOf(Date(1730606400.0 - 1)), (stats::CivilDay{2024, 11, 2}));
    EXPECT_EQ(stats::LocalCalendar::weekdayOfDay({2000, 2, 29}), 2);
    EXPECT_EQ(
        stats::LocalCalendar::civilFromDays(stats::LocalCalendar::daysFromCivil({1969, 12, 31})),
        (stats::CivilDay{1969, 12, 31}));
    EXPECT_EQ((stats::CivilDay{2024, 3, 4}).isoText(), "2024-03-04");
}

} // namespace
} // namespace brivel::test
