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
std::vector<std::string> names(const std::vector<StoreLoader::Slice>& slices) {
    std::vector<std::string> out;
    for (const auto& slice : slices)
        out.push_back(slice.entity->name + (slice.lastID ? " " + std::to_string(slice.firstID) +
                                                               "-" + std::to_string(slice.lastID)
                                                         : ""));
    return out;
}

} // namespace

TEST(StoreLoaderPlan, SharesTheLargestTableInRangesAndStaysOnOneConnectionWhenSmall) {
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
        std::vector<std::string> own, shared;
    };
    const Case cases[] = {
        // Orders outweigh everything else: their ranges go to whichever connection is free.
        {{{&a, 100000, 1, 100000}, {&b, 400000, 1, 800000}, {&c, 10000, 1, 10000}, {&d, 0}},
         {"A", "C", "D"},
         {}},
        // Without identifiers to cut by, the table is shared whole.
        {{{&a, 100000}, {&b, 400000}, {&c, 10000}, {&d, 0}}, {"A", "C", "D"}, {"B"}},
        // A column costs as much as a row: C outweighs the more numerous A.
        {{{&a, 30000}, {&c, 16000}}, {"A"}, {"C"}},
        // Exactly at the threshold the second connection is used; one row fewer, it is not.
        {{{&a, StoreLoader::ParallelRows - 10}, {&b, 10}}, {"B"}, {"A"}},
        {{{&a, StoreLoader::ParallelRows - 11}, {&b, 10}}, {"A", "B"}, {}},
        // Fewer identifiers than ranges: one range each.
        {{{&a, StoreLoader::ParallelRows, 7, 9}}, {}, {"A 7-7", "A 8-8", "A 9-9"}},
        {{}, {}, {}},
    };
    for (const auto& test : cases) {
        const auto plan = StoreLoader::plan(test.tables);
        EXPECT_EQ(names(plan.own), test.own);
        if (test.tables.size() == 4 && test.tables[0].lastID) {
            // The ranges cover every identifier once, in order, and the rows between them.
            ASSERT_EQ(plan.shared.size(), std::size_t(StoreLoader::SharedRanges));
            store::ObjectID next = 1;
            std::int64_t rows = 0;
            for (const auto& slice : plan.shared) {
                EXPECT_EQ(slice.entity, &b);
                EXPECT_EQ(slice.firstID, next);
                EXPECT_GE(slice.lastID, slice.firstID);
                next = slice.lastID + 1;
                rows += slice.rows;
            }
            EXPECT_EQ(next, 800001);
            EXPECT_EQ(rows, 400000);
        } else {
            EXPECT_EQ(names(plan.shared), test.shared);
        }
    }
}

// Orders and their trades are read on different connections from the threshold on, the
// orders in ranges: every link between them must be made all the same, and each trade's
// orders keep the order of their identifiers whichever connection read them.
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
    const auto byID = [](const auto* x, const auto* y) { return x->objectID() < y->objectID(); };
    EXPECT_TRUE(std::is_sorted(ctx->registeredObjects("Order").begin(),
                               ctx->registeredObjects("Order").end(), byID));
    for (auto* t : ctx->registeredObjects("Trade")) {
        const auto list = static_cast<Trade*>(t)->order();
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), byID)) << t->objectID();
    }
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
