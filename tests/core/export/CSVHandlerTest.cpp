#include "core/export/CSVHandler.h"
#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/SystemLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace brivel;
using namespace brivel::model;

namespace {

class CSVHandlerTest : public ::testing::Test {
protected:
    test::ScopedEnv locale{"LC_ALL", "en_US.UTF-8"};
    test::ScopedEnv zone{"TZ", "America/New_York"};
    test::TempDir dir;
    store::ObjectContext ctx{accountModel()};
    MemoryLog log;

    void SetUp() override { setSystemLog(&log); }
    void TearDown() override { setSystemLog(nullptr); }

    Trade* trade(const char* ticker, double date, std::int16_t strategy) {
        auto* t = Trade::insertInManagedObjectContext(&ctx);
        t->setTicker(std::string(ticker));
        t->setDate(Date(date));
        t->setTradeStrategyValue(strategy);
        return t;
    }
    Order* order(Trade* t, double date, const char* desc, bool buy, int shares, double price,
                 std::optional<double> commission = std::nullopt) {
        auto* o = Order::insertInManagedObjectContext(&ctx);
        o->setDate(Date(date));
        o->setDesc(std::string(desc));
        o->setIsBuyValue(buy);
        o->setNumSharesValue(shares);
        o->setPriceValue(price);
        o->setCommission(commission);
        t->addOrderObject(o);
        return o;
    }
    std::string exportTrades(const exporting::CSVHandler& handler) {
        auto path = dir / "trades.csv";
        EXPECT_FALSE(handler.writeTradesTo(path, ctx).has_value());
        return test::readFile(path);
    }
};

const char* TradeHeader =
    "Trade #,Order Date,Ticker,Description,Buy/Sell,Quantity,Price,Commission,Reason,Strategy\n";

std::optional<std::string> twoStrategies(std::int64_t p) {
    if (p == 0)
        return "Breakout";
    if (p == 1)
        return "Pullback, long";
    return std::nullopt;
}

} // namespace

TEST_F(CSVHandlerTest, EmptyAccountsGiveTheHeaderLineAndALogLine) {
    auto trades = exportTrades(exporting::CSVHandler(twoStrategies));
    EXPECT_EQ(trades, TradeHeader);
    EXPECT_TRUE(log.contains("CSVHandler: No trades to process"));
    auto path = dir / "journal.csv";
    EXPECT_FALSE(exporting::CSVHandler().writeJournalTo(path, ctx));
    EXPECT_EQ(test::readFile(path), "Flagged,Log Date,Note Date/Time,Ticker,Comment\n");
    EXPECT_TRUE(log.contains("CSVHandler: No journal entries to process"));
}

TEST_F(CSVHandlerTest, OneLinePerOrderNumberedInDateOrderWithCurrencyAndStrategy) {
    // 2024-03-04 14:30:00 UTC is 09:30 in New York.
    const double t0 = 1709562600;
    auto* later = trade("MSFT", t0 + 86400 * 2, 5); // outside the strategy list
    order(later, t0 + 86400 * 2, "#1 short", false, 10, 400);
    trade("EMPTY", t0 + 86400, 0); // no orders: uses up number 2
    auto* first = trade("AAPL", t0, 1);
    order(first, t0 + 120, "A", false, 100, 1234.5, 1);
    order(first, t0, "A", true, 100, 1000.25, 0.1);
    order(first, t0 + 60, "B", true, 0, 0);
    // No strategy stored is position zero, as in the reports.
    auto* unset = Trade::insertInManagedObjectContext(&ctx);
    unset->setDate(Date(t0 + 86400 * 3));
    order(unset, t0 + 86400 * 3, "A", true, 1, 1);

    auto text = exportTrades(exporting::CSVHandler(twoStrategies));
    EXPECT_EQ(text, std::string(TradeHeader) +
                        "1,2024-03-04 09:30:00 -0500,AAPL,A,Buy,100,\"$1,000.25\",$0.10,,"
                        "\"Pullback, long\"\n"
                        "1,2024-03-04 09:31:00 -0500,AAPL,B,Buy,0,$0.00,,,\"Pullback, long\"\n"
                        "1,2024-03-04 09:32:00 -0500,AAPL,A,Sell,100,\"$1,234.50\",$1.00,,"
                        "\"Pullback, long\"\n"
                        "3,2024-03-06 09:30:00 -0500,MSFT,\"#1 short\",Sell,10,$400.00,,,\n"
                        "4,2024-03-07 09:30:00 -0500,,A,Buy,1,$1.00,,,Breakout\n");

    // Without a strategy list every Strategy field is empty.
    auto plain = exportTrades(exporting::CSVHandler());
    EXPECT_NE(plain.find("\"$1,234.50\",$1.00,,\n"), std::string::npos);
}

TEST_F(CSVHandlerTest, JournalLinesPerNoteWithFlagsAndQuotedComments) {
    auto* day = Log::insertInManagedObjectContext(&ctx);
    day->setDate(Date(1709562600));
    auto* second = Note::insertInManagedObjectContext(&ctx);
    second->setTimestamp(Date(1709562600 + 3600));
    second->setComment(std::string("two\nlines"));
    second->setFlagValue(true);
    auto* firstNote = Note::insertInManagedObjectContext(&ctx);
    firstNote->setTimestamp(Date(1709562600));
    firstNote->setTicker(std::string("AAPL"));
    firstNote->setComment(std::string("gap up"));
    day->addNoteObject(second);
    day->addNoteObject(firstNote);
    Log::insertInManagedObjectContext(&ctx)->setDate(Date(1709562600 - 86400)); // no notes

    auto path = dir / "journal.csv";
    ASSERT_FALSE(exporting::CSVHandler().writeJournalTo(path, ctx));
    EXPECT_EQ(test::readFile(path),
              "Flagged,Log Date,Note Date/Time,Ticker,Comment\n"
              ",2024-03-04 09:30:00 -0500,2024-03-04 09:30:00 -0500,AAPL,gap up\n"
              "X,2024-03-04 09:30:00 -0500,2024-03-04 10:30:00 -0500,,\"two\nlines\"\n");
}

TEST_F(CSVHandlerTest, AnUnwritablePlaceIsReportedNotSilentlyIgnored) {
    auto* t = trade("AAPL", 0, 0);
    order(t, 0, "A", true, 1, 1);
    auto error = exporting::CSVHandler().writeTradesTo(dir / "missing-folder" / "trades.csv", ctx);
    ASSERT_TRUE(error.has_value());
    EXPECT_FALSE(error->message().empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "missing-folder"));
}
