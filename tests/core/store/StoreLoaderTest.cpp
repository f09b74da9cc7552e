#include "core/store/StoreLoader.h"
#include "StoreTestSupport.h"

#include <string>

using namespace brivel;
using namespace brivel::model;
using brivel::store::EntityDescription;
using brivel::store::StoreLoader;
using brivel::test::AccountFixture;

namespace {

std::vector<std::string> names(const StoreLoader::Part& part) {
    std::vector<std::string> out;
    for (const auto& [rows, e] : part.tables)
        out.push_back(e->name);
    return out;
}

} // namespace

TEST(StoreLoaderPartition, SplitsByRowsLargestFirstAndStaysOnOneConnectionWhenSmall) {
    EntityDescription a, b, c, d;
    a.name = "A";
    b.name = "B";
    c.name = "C";
    d.name = "D";
    struct Case {
        std::vector<StoreLoader::SizedTable> tables;
        std::vector<std::string> mine, theirs;
    };
    const Case cases[] = {
        // Orders outnumber everything else together: they read alone.
        {{{100000, &a}, {400000, &b}, {20000, &c}, {0, &d}}, {"B"}, {"A", "C", "D"}},
        // Two large tables land on different connections.
        {{{30000, &a}, {30000, &b}, {10, &c}}, {"A", "C"}, {"B"}},
        // Exactly at the threshold the second connection is used.
        {{{StoreLoader::ParallelRows - 10, &a}, {10, &b}}, {"A"}, {"B"}},
        // One row fewer, or a single table, and it is not.
        {{{StoreLoader::ParallelRows - 11, &a}, {10, &b}}, {"A", "B"}, {}},
        {{{500000, &a}}, {"A"}, {}},
        {{}, {}, {}},
    };
    for (const auto& test : cases) {
        auto [mine, theirs] = StoreLoader::partition(test.tables);
        EXPECT_EQ(names(mine), test.mine);
        EXPECT_EQ(names(theirs), test.theirs);
        std::int64_t total = 0;
        for (const auto& t : test.tables)
            total += t.first;
        EXPECT_EQ(mine.rows + theirs.rows, total);
    }
}

// Orders and their trades are read on different connections from the threshold on: every link
// between the two halves must be made all the same.
class StoreLoaderParallel : public AccountFixture, public ::testing::WithParamInterface<int> {};

TEST_P(StoreLoaderParallel, LinksRecordsReadOnEitherConnection) {
    const int orders = GetParam();
    const int perTrade = 3;
    ctx->undoManager().disableUndoRegistration();
    for (int i = 0; i < orders; ++i) {
        auto* order = insert<Order>();
        order->setNumSharesValue(i);
        order->setDate(Date(1700000000.0 + i));
        if (i % perTrade == 0) {
            auto* trade = insert<Trade>();
            trade->setTicker("T" + std::to_string(i / perTrade));
        }
    }
    // Attach each order to the trade of its group, found by the order of insertion.
    auto trades = ctx->registeredObjects("Trade");
    auto allOrders = ctx->registeredObjects("Order");
    for (auto* o : allOrders) {
        auto* order = static_cast<Order*>(o);
        const auto group = static_cast<std::size_t>(order->numSharesValue() / perTrade);
        static_cast<Trade*>(trades[std::min(group, trades.size() - 1)])->addOrderObject(order);
    }
    save();
    const auto rows = static_cast<std::int64_t>(allOrders.size() + trades.size());
    ctx = reopen();
    ASSERT_TRUE(ctx);
    ASSERT_EQ(ctx->registeredObjects("Order").size(), allOrders.size());
    std::size_t linked = 0;
    for (auto* o : ctx->registeredObjects("Order")) {
        auto* order = static_cast<Order*>(o);
        Trade* trade = order->trade();
        ASSERT_TRUE(trade) << "order " << order->objectID() << " lost its trade (" << rows
                           << " rows)";
        const auto& list = trade->order();
        ASSERT_NE(std::find(list.begin(), list.end(), order), list.end());
        linked += 1;
    }
    EXPECT_EQ(linked, allOrders.size());
}

// Orders and a trade for every three: 19,999 rows, 20,000 (the threshold) and more.
INSTANTIATE_TEST_SUITE_P(AroundTheThreshold, StoreLoaderParallel,
                         ::testing::Values(1000, 14999, 15000, 16000));
