// brivel-cli trades, orders, journal, notes and barriers, run as a user would: a separate process
// with its own XDG folders, no terminal on standard input, New York time.

#include "support/CliFixture.h"

#include <gmock/gmock.h>
#include <regex>

namespace brivel::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::StartsWith;

class RecordCommandsTest : public CliFixture {
protected:
    // A closed trade: buy 100 "A" at 10, sell 100 "A" at 12, commission 5 each.
    std::string closedTrade(std::string* sellId = nullptr) const {
        std::string trade = ok({"trades", "add", "-a", "B0W1", "--ticker", "AAPL", "--strategy",
                                "0", "--date", "2024-03-01T09:30"})
                                .id();
        auto order = [&](std::vector<std::string> args) {
            args.insert(args.begin(), {"orders", "add", "-a", "B0W1", "--trade", trade, "--shares",
                                       "100", "--commission", "5", "--desc", "A"});
            return ok(args).id();
        };
        order({"--side", "buy", "--price", "10", "--reason", "breakout", "--date",
               "2024-03-01T09:31"});
        std::string sell =
            order({"--side", "sell", "--price", "12", "--date", "2024-03-04T15:00:00Z"});
        if (sellId)
            *sellId = sell;
        return trade;
    }
};

TEST_F(RecordCommandsTest, AddedOrdersReevaluateTheTradeBeforeTheSave) {
    std::string trade = closedTrade();
    json trades = list("trades");
    ASSERT_EQ(trades.size(), 1u);
    const json& t = trades[0];
    EXPECT_EQ(t["id"], trade);
    EXPECT_EQ(t["ticker"], "AAPL");
    EXPECT_EQ(t["isClosed"], true);
    EXPECT_EQ(t["profit"], 190.0);
    EXPECT_EQ(t["date"], "2024-03-01T09:31:00-05:00") << "the earliest order's date";
    EXPECT_EQ(t["tradeStrategy"], 0);
    EXPECT_EQ(t["strategyStored"], true);

    ASSERT_EQ(t["orders"].size(), 2u);
    const json& buy = t["orders"][0];
    EXPECT_EQ(buy["isBuy"], true);
    EXPECT_EQ(buy["numShares"], 100);
    EXPECT_EQ(buy["price"], 10.0);
    EXPECT_EQ(buy["commission"], 5.0);
    EXPECT_EQ(buy["desc"], "A");
    EXPECT_EQ(buy["reason"], "breakout");
    EXPECT_EQ(t["orders"][1]["date"], "2024-03-04T10:00:00-05:00");

    const std::regex name("B0W1/[0-9A-F-]{36}\\.png");
    EXPECT_TRUE(std::regex_match(t["chartImg"]["entryImg"].get<std::string>(), name));
    EXPECT_NE(t["chartImg"]["entryImg"], t["chartImg"]["exitImg"]);
}

TEST_F(RecordCommandsTest, ATradeWithNoStrategyStoredListsAsPositionZeroAsInTheReports) {
    ok({"trades", "add", "-a", "B0W1", "--ticker", "MSFT", "--date", "2024-03-01T09:30"});
    const std::string first = listJson("strategies")[0]["strategy"];
    const json t = list("trades")[0];
    EXPECT_EQ(t["tradeStrategy"], 0);
    EXPECT_EQ(t["strategyStored"], false);
    EXPECT_EQ(t["strategy"], first);
    EXPECT_THAT(ok({"trades", "list", "-a", "B0W1"}).out,
                ::testing::HasSubstr("  " + first + "  "));
}

TEST_F(RecordCommandsTest, OrderChangesReopenTheTradeAndItsDeletionNeedsYesAndTakesItsPictures) {
    std::string sell;
    std::string trade = closedTrade(&sell);
    const fs::path entry =
        accountFolder() /
        fs::path(list("trades")[0]["chartImg"]["entryImg"].get<std::string>()).filename();
    writeFile(entry, "png");
    ok({"orders", "set", "-a", "B0W1", sell, "--commission", "7"});
    EXPECT_EQ(list("trades")[0]["profit"], 188.0);

    ok({"orders", "delete", "-a", "B0W1", sell});
    json t = list("trades")[0];
    EXPECT_EQ(t["orders"].size(), 1u);
    EXPECT_EQ(t["isClosed"], false);
    EXPECT_EQ(t["profit"], 0.0);

    CliRun refused = cli({"trades", "delete", "-a", "B0W1", trade});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, StartsWith("brivel-cli: "));
    EXPECT_EQ(list("trades").size(), 1u);
    EXPECT_TRUE(fs::exists(entry));

    ok({"trades", "delete", "-a", "B0W1", trade, "--yes"});
    EXPECT_TRUE(list("trades").empty());
    EXPECT_FALSE(fs::exists(entry));
}

TEST_F(RecordCommandsTest, NewLogsCarryTheLevelsForwardAndStampTheirFirstNote) {
    std::string first = ok({"journal", "add", "-a", "B0W1", "--date", "2024-03-01"}).id();
    ok({"barriers", "set", "-a", "B0W1", "--log", first, "--index", "DOW", "--support", "100",
        "--resistance", "120"});
    std::string second = ok({"journal", "add", "-a", "B0W1", "--date", "2024-03-02"}).id();

    json logs = list("journal");
    ASSERT_EQ(logs.size(), 2u);
    const json& log = logs[1];
    EXPECT_EQ(log["id"], second);
    EXPECT_EQ(log["date"], "2024-03-02T00:00:00-05:00");
    ASSERT_EQ(log["notes"].size(), 1u);
    EXPECT_EQ(log["notes"][0]["timestamp"], log["date"]);
    bool sawDow = false;
    for (const auto& b : log["priceBarriers"]) {
        if (b["ticker"] == "DOW") {
            sawDow = true;
            EXPECT_EQ(b["support"], 100.0);
            EXPECT_EQ(b["resistance"], 120.0);
        } else {
            EXPECT_TRUE(b["support"].is_null()) << b;
        }
    }
    EXPECT_TRUE(sawDow);
}

TEST_F(RecordCommandsTest, NotesAreAddedChangedAndDeleted) {
    std::string log = ok({"journal", "add", "-a", "B0W1", "--date", "2024-03-01T08:00"}).id();
    std::string note = ok({"notes", "add", "-a", "B0W1", "--log", log, "--ticker", "MSFT",
                           "--comment", "gap up", "--flag", "--time", "2024-03-01T15:00+01:00"})
                           .id();
    json n = list("journal")[0]["notes"][1];
    EXPECT_EQ(n["id"], note);
    EXPECT_EQ(n["timestamp"], "2024-03-01T09:00:00-05:00");
    EXPECT_EQ(n["flag"], true);
    EXPECT_EQ(n["comment"], "gap up");

    ok({"notes", "set", "-a", "B0W1", note, "--flag", "off", "--comment", "faded"});
    n = list("journal")[0]["notes"][1];
    EXPECT_EQ(n["flag"], false);
    EXPECT_EQ(n["comment"], "faded");
    ok({"notes", "delete", "-a", "B0W1", note});
    EXPECT_EQ(list("journal")[0]["notes"].size(), 1u);

    EXPECT_EQ(cli({"journal", "delete", "-a", "B0W1", log}).status, 1);
    ok({"journal", "delete", "-a", "B0W1", log, "--yes"});
    EXPECT_TRUE(list("journal").empty());
}

TEST_F(RecordCommandsTest, BadInputIsRefusedAndChangesNothing) {
    std::string trade = closedTrade();
    // Usage errors.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"trades", "add", "-a", "B0W1", "--date", "2024-02-30"},
          {"trades", "add", "-a", "B0W1", "--date", "yesterday"},
          {"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "buy", "--shares", "-5",
           "--price", "1"},
          {"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "buy", "--shares",
           "3000000000", "--price", "1"},
          {"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "buy", "--shares", "1",
           "--price", "nan"},
          {"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "hold", "--shares", "1",
           "--price", "1"}})
        EXPECT_EQ(cli(args).status, 2) << args[4] << " " << (args.size() > 9 ? args[9] : "");
    // Failures.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"trades", "set", "-a", "B0W1", "999", "--ticker", "X"},
          {"trades", "set", "-a", "B0W1", trade, "--strategy", "9999"},
          {"orders", "delete", "-a", "B0W1", trade}, // a trade's id is not an order's
          {"trades", "list", "-a", "NOPE"}}) {
        CliRun r = cli(args);
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_THAT(r.err, StartsWith("brivel-cli: "));
    }
    json t = list("trades")[0];
    EXPECT_EQ(t["orders"].size(), 2u);
    EXPECT_EQ(t["tradeStrategy"], 0);
    EXPECT_EQ(t["ticker"], "AAPL");
}

} // namespace
} // namespace brivel::test
