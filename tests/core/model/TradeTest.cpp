// How a trade keeps its closed state, profit, date and description list from its orders.

#include "support/BookkeepingFixture.h"
#include "support/StoreTestSupport.h"

#include <cstdint>
#include <functional>
#include <gmock/gmock.h>
#include <limits>

namespace brivel::test {
namespace {

using model::Order;
using model::Trade;

class TradeTest : public BookkeepingTest {};

// ---- Closing and profit ----------------------------------------------------------------------

// What a trade's re-evaluation makes of its orders.
struct ClosingCase {
    const char* what;
    bool closed;
    double profit;
    bool hint; // "ShowTradeClosingHint" posted, once per re-evaluation
    std::vector<OrderValues> orders;
};

TEST_F(TradeTest, EachPositionMustBalanceByItsExactDescription) {
    constexpr auto max = std::numeric_limits<std::int32_t>::max();
    const std::optional<std::string> none;
    const OrderValues buyA(true, 100, 10.0, "A"), hugeBuy(true, 1 << 30, 1.0, "A");
    const OrderValues buyMax(true, max, 1.0, "A"), sellMax(false, max, 2.0, "A");
    const OrderValues feeBuy(true, 100, 10.0, "A", 5.0), feeSell(false, 100, 12.0, "A", 5.0);
    const ClosingCase cases[] = {
        {"no orders", false, 0.0, false, {}},
        {"no shares", false, 0.0, false, {{true, 0, 10.0, "A", 1.0}, {false, 0, 12.0, "A"}}},
        {"long, net of commissions", true, 190.0, false, {feeBuy, feeSell}},
        {"short", true, 500.0, false, {{false, 100, 20.0, "S"}, {true, 100, 15.0, "S"}}},
        {"two positions",
         true,
         46.0,
         false,
         {{true, 100, 10.0, "A", 1.0},
          {false, 100, 11.0, "A", 1.0},
          {true, 50, 20.0, "B", 1.0},
          {false, 50, 19.0, "B", 1.0}}},
        {"partial close", false, 0.0, false, {buyA, {false, 60, 12.0, "A"}}},
        {"case differs", false, 0.0, true, {buyA, {false, 100, 12.0, "a"}}},
        {"trailing space", false, 0.0, true, {buyA, {false, 100, 12.0, "A "}}},
        {"absent vs empty", false, 0.0, true, {{true, 100, 10.0, none}, {false, 100, 12.0, ""}}},
        {"both absent", true, 200.0, false, {{true, 100, 10.0, none}, {false, 100, 12.0, none}}},
        // 4 x 2^30 shares are 2^32: wrapped to 32 bits that would read as balanced.
        {"no wrap-around", false, 0.0, false, {hugeBuy, hugeBuy, hugeBuy, hugeBuy}},
        {"largest counts", true, 2.0 * max, false, {buyMax, buyMax, sellMax, sellMax}},
        // A fee booked as an order of its own: no shares, so the trade stays closed.
        {"zero-share fee", true, 187.0, false, {feeBuy, feeSell, {true, 0, 0.0, "fee", 3.0}}},
    };
    for (const ClosingCase& c : cases) {
        SCOPED_TRACE(c.what);
        Trade* t = newTrade();
        for (const OrderValues& o : c.orders)
            addOrder(t, o);
        settle();
        // Stale values from before: one re-evaluation must replace them, posting the hint once.
        t->setIsClosedValue(true);
        t->setProfitValue(7.0);
        t->setDate(Date(7.0));
        hints.senders.clear();
        t->orderDidChange();
        settle();
        EXPECT_EQ(t->isClosed(), std::optional<bool>(c.closed));
        EXPECT_EQ(t->profit().has_value(), true);
        EXPECT_DOUBLE_EQ(t->profitValue(), c.profit);
        EXPECT_EQ(hints.countFor(t), c.hint ? 1u : 0u);
        EXPECT_FALSE(t->buyToOpen().has_value()) << "the opening side plays no part";
        // The earliest order's date; a trade left without orders loses its date.
        EXPECT_EQ(t->date(), c.orders.empty() ? std::nullopt : std::optional<Date>(Date(1000.0)));
    }
}

// ---- Deferral and observation ----------------------------------------------------------------

class TradeDeferralTest : public BookkeepingTest {
protected:
    TradeDeferralTest() { context->setScheduler(&recorder); }
    RecordingScheduler recorder;
};

TEST_F(TradeDeferralTest, AChangeSchedulesCloseThenDescListHundredthOfASecondLater) {
    Trade* t = newTrade();
    addOrder(t, {true, 100, 10.0, "A"}, Date(2000.0));
    Order* sell = addOrder(t, {false, 100, 12.0, "A"}, Date(3000.0));
    addOrder(t, {false, 0, 0.0, "A"})->setDate(std::nullopt); // takes no part in the date
    recorder.requests.clear();
    t->setDate(Date(1.0));

    sell->setPriceValue(13.0);
    // Nothing happens inside the change notification itself.
    EXPECT_FALSE(t->isClosed().has_value());
    ASSERT_EQ(recorder.requests.size(), 2u);
    EXPECT_DOUBLE_EQ(recorder.requests[0].delay, 0.01);
    EXPECT_DOUBLE_EQ(recorder.requests[1].delay, 0.01);

    recorder.run(0);
    EXPECT_TRUE(t->isClosedValue());
    EXPECT_DOUBLE_EQ(t->profitValue(), 300.0);
    EXPECT_EQ(t->date(), std::optional<Date>(Date(1.0))) << "the date is the second step's work";
    recorder.run(1);
    EXPECT_EQ(t->date(), std::optional<Date>(Date(2000.0)));
}

TEST_F(TradeDeferralTest, OnlyTheFiveKeysOfAnOrderScheduleAndBurstsAreNotMerged) {
    Trade* t = newTrade();
    Order* o = addOrder(t, {true, 100, 10.0, "A"});
    recorder.requests.clear();

    o->setDate(Date(5.0));
    o->setReason(std::string("breakout"));
    EXPECT_TRUE(recorder.requests.empty()) << "date and reason are not observed";

    o->setPriceValue(11.0);
    o->setDesc(std::string("B"));
    o->setIsBuyValue(false);
    o->setCommissionValue(1.0);
    o->setNumSharesValue(7);
    EXPECT_EQ(recorder.requests.size(), 10u) << "one pair per change";

    // Joining or leaving the order set alone re-evaluates nothing.
    recorder.requests.clear();
    Order* other = Order::insertInManagedObjectContext(context.get());
    t->addOrderObject(other);
    t->removeOrderObject(other);
    EXPECT_TRUE(recorder.requests.empty());
}

TEST_F(TradeDeferralTest, TradeFollowsOrdersThatJoinAndStopsFollowingThoseThatLeave) {
    Trade* a = newTrade();
    Trade* b = newTrade();
    Order* o = addOrder(a, {true, 100, 10.0, "A"});
    EXPECT_EQ(a->observedOrders(), std::vector<Order*>{o});

    b->addOrderObject(o); // moves the order
    EXPECT_TRUE(a->observedOrders().empty());
    EXPECT_EQ(b->observedOrders(), std::vector<Order*>{o});
    recorder.requests.clear();
    o->setNumSharesValue(5);
    ASSERT_EQ(recorder.requests.size(), 2u) << "only the new owner is told";
    recorder.runAll();
    EXPECT_FALSE(a->isClosed().has_value());
    EXPECT_TRUE(b->isClosed().has_value());
}

// ---- Description list ------------------------------------------------------------------------

TEST_F(TradeTest, OneEntryPerDistinctDescriptionIncludingZeroShareOrders) {
    Trade* t = newTrade();
    addOrder(t, {true, 100, 10.0, "X"});
    addOrder(t, {false, 0, 12.0, "X"});
    addOrder(t, {true, 5, 1.0, std::nullopt});
    settle();
    using D = std::optional<std::string>;
    EXPECT_EQ(descsOf(*t), (std::vector<D>{std::nullopt, D("X")}));
    for (const auto& b : t->orderDescList())
        EXPECT_EQ(b.numOutstandingShares(), 0);
}

// ---- Undo ------------------------------------------------------------------------------------

class TradeUndoTest : public BookkeepingTest {
protected:
    store::UndoManager& undo() { return context->undoManager(); }
};

TEST_F(TradeUndoTest, UndoingAnOrderRemovalOrEditLeavesTheTradeMatchingItsOrders) {
    Trade* t = newTrade();
    addOrder(t, {true, 100, 10.0, "A"}, Date(3000.0));
    Order* sell = addOrder(t, {false, 100, 12.0, "A"}, Date(2000.0));
    undo().endEventGroup();
    settle();
    ASSERT_TRUE(t->isClosedValue());

    // What the order list does.
    t->removeOrderObject(sell);
    context->deleteObject(sell);
    t->orderDidChange();
    undo().endEventGroup();
    settle();
    ASSERT_FALSE(t->isClosedValue());
    ASSERT_EQ(t->date(), std::optional<Date>(Date(3000.0)));

    undo().undo();
    settle();
    EXPECT_TRUE(t->isClosedValue());
    EXPECT_DOUBLE_EQ(t->profitValue(), 200.0);
    EXPECT_EQ(t->date(), std::optional<Date>(Date(2000.0)));

    // The order that came back is followed again, and an edit of it undoes and redoes.
    const auto steps = undo().undoStepCount();
    sell->setNumSharesValue(60);
    undo().endEventGroup();
    settle();
    EXPECT_FALSE(t->isClosedValue());
    EXPECT_EQ(undo().undoStepCount(), steps + 1);

    undo().undo();
    EXPECT_EQ(sell->numSharesValue(), 100);
    settle();
    EXPECT_TRUE(t->isClosedValue());
    EXPECT_DOUBLE_EQ(t->profitValue(), 200.0);

    undo().redo();
    settle();
    EXPECT_FALSE(t->isClosedValue());
    EXPECT_EQ(t->profitValue(), 0.0);
}

// ---- Lifetime of a scheduled re-evaluation ---------------------------------------------------

TEST_F(TradeTest, ReevaluationDueAfterItsTradeIsGoneDoesNothing) {
    ManualScheduler mainLoop; // outlives the context, as the application's does
    const std::pair<const char*, std::function<void(Trade*)>> cases[] = {
        {"trade deleted", [&](Trade* t) { context->deleteObject(t); }},
        {"rolled back", [&](Trade*) { ASSERT_TRUE(context->rollback()); }},
        {"context gone", [&](Trade*) { context.reset(); }},
    };
    for (const auto& [what, end] : cases) {
        SCOPED_TRACE(what);
        context->setScheduler(&mainLoop);
        // A trade whose re-evaluation would post the hint, with its re-evaluations pending.
        Trade* t = newTrade();
        addOrder(t, {true, 100, 10.0, "A"});
        addOrder(t, {false, 100, 12.0, "a"});
        end(t);
        EXPECT_GT(mainLoop.runUntilIdle(), 0u);
        EXPECT_TRUE(hints.senders.empty());
    }
}

// ---- Records loaded from the file ------------------------------------------------------------

class TradeFileTest : public AccountFixture {};

TEST_F(TradeFileTest, LoadedTradeFollowsItsLoadedOrdersOncePerChange) {
    auto* loaded = insert<Trade>();
    for (bool buy : {true, false}) {
        auto* o = insert<Order>();
        o->setDate(Date(buy ? 10.0 : 20.0));
        o->setDesc(std::string("A"));
        o->setIsBuyValue(buy);
        o->setNumSharesValue(100);
        o->setPriceValue(buy ? 10.0 : 12.0);
        loaded->addOrderObject(o);
    }
    // Leave a stale date behind: only the orders' date changed since the last evaluation.
    ctx->manualScheduler().runUntilIdle();
    loaded->setDate(Date(99.0));
    save();
    ctx = reopen();
    auto trades = Trade::fetchNewFetchRequest(ctx.get());
    ASSERT_EQ(trades.size(), 1u);
    Trade* t = trades.front();
    EXPECT_EQ(t->date(), std::optional<Date>(Date(10.0))) << "loading recomputes the date";
    EXPECT_FALSE(ctx->hasChanges()) << "and that is not a change of the account";
    EXPECT_EQ(t->observedOrders().size(), 2u);
    // Loading leaves the description list to its first reader.
    EXPECT_EQ(descsOf(*t), std::vector<std::optional<std::string>>{"A"});

    Order* sell = t->order()[0]->isBuyValue() ? t->order()[1] : t->order()[0];
    // Loaded orders are followed through the same key set as added ones (checked key by key in
    // TradeDeferralTest): one observation each, date and reason not among the keys.
    EXPECT_EQ(sell->observationCount(), 1u) << "one entry for the five keys";
    sell->setDate(Date(11.0));
    sell->setReason(std::string("not followed"));
    EXPECT_EQ(ctx->manualScheduler().pendingCount(), 0u);
    sell->setNumSharesValue(50);
    EXPECT_EQ(ctx->manualScheduler().pendingCount(), 2u);
    ctx->manualScheduler().runUntilIdle();
    EXPECT_FALSE(t->isClosedValue());
}

TEST_F(TradeTest, OrderWakingBeforeItsTradeWorksAsWell) {
    Trade* t = newTrade();
    Order* o = addOrder(t, {true, 100, 10.0, "A"});
    settle();
    // Release the trade's observations as the store does, then wake the order first.
    t->willTurnIntoFault();
    o->setNumSharesValue(1);
    EXPECT_EQ(context->manualScheduler().pendingCount(), 0u);
    o->awakeFromFetch();
    t->awakeFromFetch();
    o->setNumSharesValue(2);
    EXPECT_EQ(context->manualScheduler().pendingCount(), 2u) << "observed once, not twice";
    t->addOrderObject(Order::insertInManagedObjectContext(context.get()));
    EXPECT_EQ(t->observedOrders().size(), 2u) << "the order set is followed again";
}

TEST_F(TradeFileTest, LoadedTradeWithoutOrdersKeepsItsDateThroughTheNextSave) {
    insert<Trade>()->setDate(Date(42.0));
    save();
    ctx = reopen();
    auto trades = Trade::fetchNewFetchRequest(ctx.get());
    ASSERT_EQ(trades.size(), 1u);
    EXPECT_EQ(trades.front()->date(), std::optional<Date>(Date(42.0)));
    EXPECT_FALSE(ctx->hasChanges());
    // Another change saved: the trade must come through it with its date.
    insert<Trade>()->setDate(Date(50.0));
    save();
    ctx = reopen();
    std::vector<std::optional<Date>> dates;
    for (Trade* t : Trade::fetchNewFetchRequest(ctx.get()))
        dates.push_back(t->date());
    EXPECT_THAT(dates, ::testing::UnorderedElementsAre(Date(42.0), Date(50.0)));
}

TEST_F(TradeTest, OnlyATransitionToClosedIsAnnounced) {
    std::vector<const void*> closed;
    auto token =
        center.addObserver(model::TradeDidClose, nullptr,
                           [&](const std::string&, const void* t) { closed.push_back(t); });
    Trade* t = newTrade();
    addOrder(t, {true, 100, 10.0, "A"});
    Order* sell = addOrder(t, {false, 100, 12.0, "A"});
    settle();
    sell->setPriceValue(13.0); // re-priced while closed: no new announcement
    settle();
    EXPECT_EQ(closed.size(), 1u);
    sell->setNumSharesValue(99);
    settle();
    sell->setNumSharesValue(100);
    settle();
    EXPECT_EQ(closed, std::vector<const void*>(2, t));
    center.removeObserver(token);
}

} // namespace
} // namespace brivel::test
