#include "ImportFixture.h"

#include <gmock/gmock.h>

namespace brivel::test {
namespace {

using ::testing::HasSubstr;

// Two symbols interleaved; AAPL bought in two partial fills, sold in a fill and then through
// zero (long 50, sell 150: a flip into a short of 100), the short left open; MSFT a closed short.
const char* Interleaved = "Date,Time,Symbol,Side,Qty,Price,Commission,Fees,Description\n"
                          "2024-03-01,09:30:00,AAPL,BOT,100,10.00,1.00,0.50,first fill\n"
                          "2024-03-01,09:31:00,MSFT,SLD,50,20.00,1.00,,\n"
                          "2024-03-01,09:32:00,AAPL,BOT,100,10.50,1.00,,\n"
                          "2024-03-01,09:33:00,MSFT,B,50,19.00,-1.00,,\n"
                          "2024-03-01,09:40:00,AAPL,S,150,11.00,1.50,,\n"
                          "2024-03-01,09:45:00,AAPL,SELL,150,11.50,3.00,,\n"
                          "2024-03-01,09:50:00,AAPL,buy,50,11.00,1.00,,\n"
                          "2024-03-01,09:55:00,AAPL,Buy,25,11.20,0.50,,\n";

struct Expected {
    bool isBuy;
    std::int32_t shares;
    double price, commission;
};

void expectOrders(const model::Trade* t, const std::vector<Expected>& expected,
                  const std::string& desc) {
    auto orders = ImportAccount::orders(t);
    ASSERT_EQ(orders.size(), expected.size()) << desc;
    for (std::size_t i = 0; i < orders.size(); ++i) {
        SCOPED_TRACE(desc + " order " + std::to_string(i));
        EXPECT_EQ(orders[i]->isBuyValue(), expected[i].isBuy);
        EXPECT_EQ(orders[i]->numSharesValue(), expected[i].shares);
        EXPECT_DOUBLE_EQ(orders[i]->priceValue(), expected[i].price);
        EXPECT_DOUBLE_EQ(orders[i]->commissionValue(), expected[i].commission);
        EXPECT_EQ(orders[i]->desc(), desc) << "one description per trade";
    }
}

TEST_F(ImportTest, ExecutionsBecomeTradesPerSymbolThatCloseAtZero) {
    ImportAccount account(dir.path(), {"Breakout"});
    writeFile(dir / "fills.csv", Interleaved);
    auto s = account.importFile(dir / "fills.csv");
    EXPECT_EQ(s.format, import::ImportFormat::Executions);
    EXPECT_EQ(s.tradesCreated, 3u);
    EXPECT_EQ(s.ordersCreated, 9u) << "the flip is two orders";
    EXPECT_EQ(s.tradesClosed, 2u);
    EXPECT_DOUBLE_EQ(s.netProfit, 170.0 + 48.0);

    account.reopen(); // what was saved
    auto trades = account.trades();
    ASSERT_EQ(trades.size(), 3u);
    // The long: 2225 of sales less 2050 of purchases less 5 of commissions.
    EXPECT_EQ(trades[0]->ticker(), "AAPL");
    EXPECT_TRUE(trades[0]->isClosedValue());
    EXPECT_DOUBLE_EQ(trades[0]->profitValue(), 170.0);
    expectOrders(trades[0],
                 {{true, 100, 10.0, 1.5},
                  {true, 100, 10.5, 1.0},
                  {false, 150, 11.0, 1.5},
                  {false, 50, 11.5, 1.0}},
                 "AAPL 2024-03-01");
    EXPECT_EQ(ImportAccount::orders(trades[0])[0]->reason(), "first fill");
    EXPECT_EQ(trades[0]->date(), Date(1709303400.0)) << "the first fill's time";
    EXPECT_EQ(trades[0]->chartImg()->entryImg()->rfind("A001/", 0), 0u);

    EXPECT_EQ(trades[1]->ticker(), "MSFT");
    EXPECT_TRUE(trades[1]->isClosedValue());
    EXPECT_DOUBLE_EQ(trades[1]->profitValue(), 48.0);
    expectOrders(trades[1], {{false, 50, 20.0, 1.0}, {true, 50, 19.0, 1.0}}, "MSFT 2024-03-01");

    // The short opened by the flip, with two thirds of its commission, left open.
    EXPECT_EQ(trades[2]->ticker(), "AAPL");
    EXPECT_FALSE(trades[2]->isClosedValue());
    EXPECT_EQ(trades[2]->profitValue(), 0.0);
    expectOrders(trades[2], {{false, 100, 11.5, 2.0}, {true, 50, 11.0, 1.0}, {true, 25, 11.2, 0.5}},
                 "AAPL 2024-03-01");
}

TEST_F(ImportTest, TheSameFileTwiceAddsNothing) {
    ImportAccount account(dir.path(), {});
    writeFile(dir / "fills.csv", Interleaved);
    account.importFile(dir / "fills.csv");
    auto again = account.importFile(dir / "fills.csv");
    EXPECT_EQ(again.tradesCreated, 0u);
    EXPECT_EQ(again.duplicatesSkipped, 8u) << "the flipped fill matches its two halves";
    EXPECT_EQ(account.trades().size(), 3u);

    import::ImportOptions keep;
    keep.keepDuplicates = true;
    auto kept = account.importFile(dir / "fills.csv", keep);
    EXPECT_EQ(kept.tradesCreated, 3u);
    EXPECT_EQ(kept.duplicatesSkipped, 0u);
}

TEST_F(ImportTest, OnlyTheNewFillsOfALongerFileAreAdded) {
    ImportAccount account(dir.path(), {});
    writeFile(dir / "day1.csv", "date,symbol,side,quantity,price\n"
                                "2024-03-01 10:00,X,buy,100,5\n"
                                "2024-03-01 10:00,X,buy,100,5\n");
    account.importFile(dir / "day1.csv");
    writeFile(dir / "day2.csv", "date,symbol,side,quantity,price\n"
                                "2024-03-01 10:00,X,buy,100,5\n"
                                "2024-03-01 10:00,X,buy,100,5\n"
                                "2024-03-01 10:00,X,buy,100,5\n"
                                "2024-03-02 10:00,X,sell,100,6\n");
    auto s = account.importFile(dir / "day2.csv");
    EXPECT_EQ(s.duplicatesSkipped, 2u) << "each held order answers for one identical fill";
    EXPECT_EQ(s.ordersCreated, 2u);
}

TEST_F(ImportTest, ABadLineIsReportedWithItsNumberColumnAndValue) {
    ImportAccount account(dir.path(), {});
    writeFile(dir / "bad.csv", "Symbol,Date,Quantity,Price\n"
                               "X,2024-03-01,100,5\n"
                               "\n" // absorbed by the parser: the next line is line 3
                               "X,2024-03-02,-100,abc\n"
                               "X,2024-03-32,-100,6\n");
    auto plan = account.importer().read(dir / "bad.csv", {});
    ASSERT_FALSE(plan.failure);
    ASSERT_EQ(plan.badLineCount, 2u);
    EXPECT_EQ(plan.badLines[0].line, 3u);
    EXPECT_EQ(plan.badLines[0].column, "Price");
    EXPECT_EQ(plan.badLines[0].value, "abc");
    EXPECT_EQ(plan.badLines[1].line, 4u);
    EXPECT_EQ(plan.badLines[1].column, "Date");
    EXPECT_FALSE(account.context->hasChanges()) << "reading writes nothing";

    // With the bad lines skipped, the rest is imported and the skipped lines are listed.
    auto s = account.importer().apply(plan, true);
    EXPECT_EQ(s.tradesCreated, 1u);
    EXPECT_EQ(s.skippedLineCount, 2u);
    EXPECT_EQ(s.skippedLines[0].line, 3u);
}

TEST_F(ImportTest, ColumnsAreChosenByMapWhereTheNamesDoNotMatch) {
    ImportAccount account(dir.path(), {});
    writeFile(dir / "odd.csv", "When,Sym,Amount,Fill,Cost\n"
                               "20240301,X,100,5,1\n"
                               "20240302,X,-100,6,1\n");
    auto unmatched = account.importer().read(dir / "odd.csv", {});
    ASSERT_TRUE(unmatched.failure);
    EXPECT_THAT(*unmatched.failure, HasSubstr("date, symbol, quantity, price"));

    import::ImportOptions options;
    options.columnMap = {{"date", "when"},
                         {"symbol", "SYM"},
                         {"quantity", "Amount"},
                         {"price", "4"},
                         {"commission", "Cost"}};
    // No side column: a negative quantity is a sale.
    auto s = account.importFile(dir / "odd.csv", options);
    EXPECT_EQ(s.tradesClosed, 1u);
    EXPECT_DOUBLE_EQ(s.netProfit, 98.0);

    options.columnMap = {{"prize", "Fill"}};
    EXPECT_THAT(*account.importer().read(dir / "odd.csv", options).failure,
                HasSubstr("no field \"prize\""));
    options.columnMap = {{"price", "Fills"}};
    EXPECT_THAT(*account.importer().read(dir / "odd.csv", options).failure,
                HasSubstr("no column \"Fills\""));
}

TEST_F(ImportTest, OneImportIsOneUndoStep) {
    ImportAccount account(dir.path(), {});
    writeFile(dir / "fills.csv", Interleaved);
    auto imp = account.importer();
    auto plan = imp.read(dir / "fills.csv", {});
    imp.apply(plan, true);
    account.context->manualScheduler().runUntilIdle();
    EXPECT_EQ(account.trades().size(), 3u);
    account.context->undoManager().undo();
    account.context->manualScheduler().runUntilIdle();
    EXPECT_TRUE(account.trades().empty());
    EXPECT_TRUE(account.context->registeredObjects("Order").empty());
    EXPECT_TRUE(account.context->registeredObjects("ChartImage").empty());
}

} // namespace
} // namespace brivel::test
