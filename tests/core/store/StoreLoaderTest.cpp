#include "core/store/StoreLoader.h"
#include "support/SqlFile.h"
#include "support/StoreTestSupport.h"

#include <string>

using namespace brivel;
using namespace brivel::model;
using brivel::store::EntityDescription;
using brivel::store::StoreLoader;
using brivel::test::AccountFixture;
using StoreLoaderReferences = AccountFixture;

namespace {

// "B" for a whole table, "B 1-520000" for a range of its identifiers.
std::vector<std::string> names(const StoreLoader::Part& part) {
    std::vector<std::string> out;
    for (const auto& slice : part.slices)
        out.push_back(slice.entity->name + (slice.lastID ? " " + std::to_string(slice.firstID) +
                                                               "-" + std::to_string(slice.lastID)
                                                         : ""));
    return out;
}

} // namespace

TEST(StoreLoaderPartition, BalancesCostLargestFirstAndStaysOnOneConnectionWhenSmall) {
    EntityDescription a, b, c, d;
    a.name = "A";
    b.name = "B";
    c.name = "C";
    d.name = "D";
    // Two columns: a row of C costs twice one of the others.
    c.attributes.resize(2);
    using T = StoreLoader::TableSize;
    struct Case {
        std::vector<T> tables;
        std::vector<std::string> mine, theirs;
    };
    const Case cases[] = {
        // Orders outweigh everything else together: the upper part of their identifiers goes
        // with the other tables, so that both connections read as much.
        {{{&a, 100000, 1, 100000}, {&b, 400000, 1, 800000}, {&c, 10000, 1, 10000}, {&d, 0}},
         {"B 1-520000"},
         {"A", "C", "D", "B 520001-800000"}},
        // Without identifiers to cut by, the table stays whole.
        {{{&a, 100000}, {&b, 400000}, {&c, 10000}, {&d, 0}}, {"B"}, {"A", "C", "D"}},
        // Two large tables land on different connections; nearly balanced is left alone.
        {{{&a, 30000, 1, 30000}, {&b, 30000, 1, 30000}, {&c, 10, 1, 10}}, {"A", "C"}, {"B"}},
        // A column costs as much as a row: C outweighs the more numerous A.
        {{{&a, 30000, 1, 30000}, {&c, 16000, 1, 16000}}, {"C"}, {"A"}},
        // Exactly at the threshold the second connection is used.
        {{{&a, StoreLoader::ParallelRows - 10}, {&b, 10}}, {"A"}, {"B"}},
        // One row fewer, or a single table, and it is not.
        {{{&a, StoreLoader::ParallelRows - 11}, {&b, 10}}, {"A", "B"}, {}},
        {{{&a, 500000, 1, 500000}}, {"A"}, {}},
        {{}, {}, {}},
    };
    for (const auto& test : cases) {
        auto [mine, theirs] = StoreLoader::partition(test.tables);
        EXPECT_EQ(names(mine), test.mine);
        EXPECT_EQ(names(theirs), test.theirs);
        std::int64_t total = 0;
        for (const auto& t : test.tables)
            total += t.rows;
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

// A damaged file may name a record that is missing or of another kind: the record then has no
// owner, and nothing else is disturbed.
TEST_F(StoreLoaderReferences, DanglingReferencesLeaveTheRecordWithoutAnOwner) {
    auto* trade = insert<Trade>();
    auto* image = insert<ChartImage>();
    trade->setChartImg(image);
    std::vector<store::ObjectID> ids;
    for (int i = 0; i < 3; ++i) {
        auto* order = insert<Order>();
        order->setDate(Date(1700000000.0 + i));
        trade->addOrderObject(order);
        ids.push_back(order->objectID());
    }
    save();
    ASSERT_EQ(test::execSql(dbPath,
                            "UPDATE \"Order\" SET trade_id = " + std::to_string(image->objectID()) +
                                " WHERE id = " + std::to_string(ids[1]) +
                                "; UPDATE \"Order\" SET trade_id = 999999 WHERE id = " +
                                std::to_string(ids[2])),
              "");
    ctx = reopen();
    ASSERT_TRUE(ctx);
    auto* loaded = static_cast<Trade*>(ctx->registeredObjects("Trade").at(0));
    ASSERT_EQ(loaded->order().size(), 1u);
    EXPECT_EQ(loaded->order()[0]->objectID(), ids[0]);
    ASSERT_TRUE(loaded->chartImg());
    EXPECT_EQ(loaded->chartImg()->trade(), loaded);
    for (auto* o : ctx->registeredObjects("Order"))
        EXPECT_EQ(static_cast<Order*>(o)->trade() != nullptr, o->objectID() == ids[0])
            << o->objectID();
}
