#include "ImportFixture.h"

#include "core/csv/StringEncoding.h"

#include <gmock/gmock.h>

namespace brivel::test {
namespace {

using ::testing::HasSubstr;

struct OrderData {
    double date;
    const char* desc;
    bool isBuy;
    std::int32_t shares;
    double price;
    std::optional<double> commission;
    std::optional<std::string> reason;
};

// An account worth exporting: commissions, reasons with quotes, commas, line breaks and an
// accented letter, three strategies, a short, a description that begins with "#", an open
// trade, a trade with two positions.
void fill(ImportAccount& a) {
    auto trade = [&](const char* ticker, std::int16_t strategy,
                     const std::vector<OrderData>& orders) {
        auto* t = model::Trade::insertInManagedObjectContext(a.context.get());
        t->setTicker(std::string(ticker));
        t->setTradeStrategyValue(strategy);
        for (const auto& d : orders) {
            auto* o = model::Order::insertInManagedObjectContext(a.context.get());
            o->setDate(Date(d.date));
            t->addOrderObject(o);
            o->setDesc(std::string(d.desc));
            o->setIsBuyValue(d.isBuy);
            o->setNumSharesValue(d.shares);
            o->setPriceValue(d.price);
            o->setCommission(d.commission);
            o->setReason(d.reason);
        }
    };
    trade("AAPL", 0,
          {{1709303400, "A", true, 100, 1234.5, 4.95, std::string("He said \"buy\", so I did")},
           {1709389800, "A", false, 100, 1300.0, 4.95, std::string("target hit\nsecond line")}});
    trade("MSFT", 1, {{1709476200, "M", true, 50, 20.0, std::nullopt, std::string("café, open")}});
    trade("TSLA", 2,
          {{1709562600, "#S", false, 10, 50.25, 1.0, std::nullopt},
           {1709562660, "#S", true, 10, 45.0, 1.0, std::nullopt}});
    trade("SPY", 0,
          {{1709649000, "one", true, 10, 500.0, 0.0, std::nullopt},
           {1709649060, "two", true, 5, 501.0, 0.0, std::nullopt},
           {1709649120, "one", false, 10, 502.0, 0.0, std::nullopt},
           {1709649180, "two", false, 5, 499.5, 0.0, std::nullopt}});
    a.context->manualScheduler().runUntilIdle();
    Error error;
    ASSERT_TRUE(a.context->save(&error)) << error.message();
}

class BrivelRoundTripTest : public ImportTest,
                            public ::testing::WithParamInterface<csv::StringEncoding> {};

TEST_P(BrivelRoundTripTest, ExportImportExportGivesTheSameBytes) {
    ImportAccount source(dir / "source", {"Breakout", "Pullback, long", "Momentum"});
    fill(source);
    source.reopen();
    const std::string first = source.exportTrades(dir / "first.csv");
    ASSERT_THAT(first, HasSubstr("\"$1,234.50\""));

    // The same text in the encoding under test; the parser works the encoding out.
    std::string bytes = first;
    if (GetParam() == csv::StringEncoding::UTF16LittleEndian)
        bytes = "\xFF\xFE" + *csv::encodeString(first, GetParam());
    else if (GetParam() != csv::StringEncoding::UTF8)
        bytes = *csv::encodeString(first, GetParam());
    ASSERT_NE(bytes.empty(), true);
    writeFile(dir / "in.csv", bytes);

    // The target knows only the first strategy: the other two are added, in file order.
    ImportAccount target(dir / "target", {"Breakout"});
    auto s = target.importFile(dir / "in.csv");
    EXPECT_EQ(s.format, import::ImportFormat::Brivel);
    EXPECT_EQ(s.tradesCreated, 4u);
    EXPECT_EQ(s.ordersCreated, 9u);
    EXPECT_EQ(s.tradesClosed, 3u) << "MSFT stays open";
    EXPECT_THAT(s.strategiesAdded, ::testing::ElementsAre("Pullback, long", "Momentum"));
    const double aapl = 130000.0 - 123450.0 - 9.9, tsla = 502.5 - 450.0 - 2.0,
                 spy = 5020.0 + 2497.5 - 5000.0 - 2505.0;
    EXPECT_NEAR(s.netProfit, aapl + tsla + spy, 1e-9);

    target.reopen();
    EXPECT_EQ(target.exportTrades(dir / "second.csv"), first);
}

INSTANTIATE_TEST_SUITE_P(Encodings, BrivelRoundTripTest,
                         ::testing::Values(csv::StringEncoding::UTF8,
                                           csv::StringEncoding::UTF16LittleEndian,
                                           csv::StringEncoding::MacOSRoman));

TEST_F(ImportTest, ATradeExportImportedTwiceAddsNothingTheSecondTime) {
    ImportAccount source(dir / "source", {"Breakout", "Pullback, long", "Momentum"});
    fill(source);
    source.exportTrades(dir / "trades.csv");
    ImportAccount target(dir / "target", {});
    target.importFile(dir / "trades.csv");
    auto again = target.importFile(dir / "trades.csv");
    EXPECT_EQ(again.tradesCreated, 0u);
    EXPECT_EQ(again.duplicatesSkipped, 9u);
    EXPECT_TRUE(again.strategiesAdded.empty());
}

TEST_F(ImportTest, BadLinesOfATradeExportAreReportedByColumn) {
    ImportAccount account(dir.path(), {});
    writeFile(dir / "t.csv",
              "Trade #,Order Date,Ticker,Description,Buy/Sell,Quantity,Price,Commission,Reason,"
              "Strategy\n"
              "1,2024-03-01 09:30:00 -0500,X,A,Buy,10,$5.00,$1.00,,\n"
              "1,2024-03-01 09:31:00 -0500,Y,A,Sell,10,$6.00,$1.00,,\n"
              "2,2024-03-01 09:32:00 -0500,X,A,Hold,10,$6.00,$1.00,,\n"
              "3,2024-03-01 09:33:00 -0500,X,A,Buy,10,six,$1.00,,\n"
              "x,2024-03-01 09:33:00 -0500,X,A,Buy,10,$6.00,$1.00,,\n"
              "4,2024-03-01,X,A,Buy,1.5,$6.00,$1.00,,\n"
              "5,2024-03-01,X\n");
    auto plan = account.importer().read(dir / "t.csv", {});
    ASSERT_FALSE(plan.failure);
    std::vector<std::pair<std::uint64_t, std::string>> where;
    for (const auto& b : plan.badLines)
        where.emplace_back(b.line, b.column);
    EXPECT_THAT(where, ::testing::ElementsAre(std::pair<std::uint64_t, std::string>{3, "Ticker"},
                                              std::pair<std::uint64_t, std::string>{4, "Buy/Sell"},
                                              std::pair<std::uint64_t, std::string>{5, "Price"},
                                              std::pair<std::uint64_t, std::string>{6, "Trade #"},
                                              std::pair<std::uint64_t, std::string>{7, "Quantity"},
                                              std::pair<std::uint64_t, std::string>{8, ""}));
}

TEST_F(ImportTest, TheFormatIsTheHeadersUnlessChosen) {
    ImportAccount account(dir.path(), {});
    writeFile(dir / "fills.csv", "date,symbol,quantity,price\n2024-03-01,X,1,1\n");
    import::ImportOptions own;
    own.format = import::ImportFormat::Brivel;
    auto refused = account.importer().read(dir / "fills.csv", own);
    ASSERT_TRUE(refused.failure);
    EXPECT_THAT(*refused.failure, HasSubstr("not the trade export's header"));
    EXPECT_EQ(account.importer().read(dir / "fills.csv", {}).format,
              import::ImportFormat::Executions);

    writeFile(dir / "broken.csv", "date,symbol,quantity,price\n\"2024\"x,X,1,1\n");
    auto broken = account.importer().read(dir / "broken.csv", {});
    ASSERT_TRUE(broken.failure);
    EXPECT_THAT(*broken.failure, HasSubstr("line #2"));
    EXPECT_TRUE(account.importer().read(dir / "missing.csv", {}).failure);
}

} // namespace
} // namespace brivel::test
