// From 20,000 rows the store reads its tables on two connections at once, the largest table on
// one and the next on the other; the records of both halves are linked afterwards. Orders (the
// largest table) and their trades (the next) land in different halves.

#include "support/StoreTestSupport.h"

#include <sqlite3.h>

namespace brivel::test {
namespace {

using model::Log;
using model::Order;
using model::Trade;

constexpr int OrdersPerTrade = 3;

std::int64_t rowCount(const std::filesystem::path& db) {
    sqlite3* handle = nullptr;
    std::int64_t total = 0;
    if (sqlite3_open_v2(db.c_str(), &handle, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        for (const char* table : {"Log", "Note", "PriceBarrier", "Trade", "Order", "ChartImage"}) {
            sqlite3_stmt* st = nullptr;
            const std::string sql = std::string("SELECT count(*) FROM \"") + table + "\"";
            if (sqlite3_prepare_v2(handle, sql.c_str(), -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW)
                total += sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
        }
    }
    sqlite3_close(handle);
    return total;
}

class ParallelLoadTest : public AccountFixture,
                         public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(ParallelLoadTest, EveryOrderFindsItsTradeAcrossTheTwoHalves) {
    const auto [trades, logs] = GetParam();
    for (int i = 0; i < logs; ++i)
        insert<Log>()->setDate(Date(i));
    for (int t = 0; t < trades; ++t) {
        auto* trade = insert<Trade>();
        trade->setTicker("T" + std::to_string(t));
        for (int k = 0; k < OrdersPerTrade; ++k) {
            auto* order = insert<Order>();
            order->setDate(Date(t));
            order->setDesc("T" + std::to_string(t));
            order->setNumSharesValue(k);
            trade->addOrderObject(order);
        }
    }
    save();
    ASSERT_EQ(rowCount(dbPath), std::int64_t{trades} * (1 + OrdersPerTrade) + logs);

    ctx = reopen();
    ASSERT_TRUE(ctx);
    const auto& loadedTrades = ctx->registeredObjects("Trade");
    ASSERT_EQ(loadedTrades.size(), static_cast<std::size_t>(trades));
    for (auto* record : loadedTrades) {
        auto* trade = static_cast<Trade*>(record);
        const auto orders = trade->order();
        ASSERT_EQ(orders.size(), static_cast<std::size_t>(OrdersPerTrade)) << *trade->ticker();
        for (const Order* order : orders) {
            EXPECT_EQ(order->desc(), trade->ticker());
            EXPECT_EQ(order->trade(), trade) << "the inverse is set as well";
        }
    }
    EXPECT_EQ(ctx->registeredObjects("Order").size(),
              static_cast<std::size_t>(trades * OrdersPerTrade));
    EXPECT_FALSE(ctx->hasChanges()) << "loading is not a change";
}

// Rows in all: one below the threshold (one connection), at it, and above it.
INSTANTIATE_TEST_SUITE_P(AroundTheThreshold, ParallelLoadTest,
                         ::testing::Values(std::pair{4999, 3}, std::pair{5000, 0},
                                           std::pair{6000, 7}));

} // namespace
} // namespace brivel::test
