// brivel-cli stats, run as a user would, on an account made through the CLI itself.

#include "support/CliFixture.h"

#include <gmock/gmock.h>
#include <set>

namespace brivel::test {
namespace {

using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;

class StatsCommandsTest : public CliFixture {
protected:
    json stats(std::vector<std::string> args) {
        args.insert(args.begin(), {"stats", "-a", "B0W1"});
        args.push_back("--json");
        return json::parse(ok(args).out);
    }

    std::string trade(const std::string& ticker, const std::string& strategy) {
        return ok({"trades", "add", "-a", "B0W1", "--ticker", ticker, "--strategy", strategy}).id();
    }
    void order(const std::string& trade, const std::string& side, const std::string& shares,
               const std::string& price, const std::string& commission, const std::string& date) {
        ok({"orders", "add", "-a", "B0W1", "--trade", trade, "--side", side, "--shares", shares,
            "--price", price, "--desc", "A", "--commission", commission, "--date", date});
    }

    // +190 (Breakout, Monday), -110 (Pullback, closed at Tuesday's last second), and an open
    // AAPL trade holding 10 shares.
    void makeTrades() {
        auto t1 = trade("AAPL", "0");
        order(t1, "buy", "100", "10", "5", "2024-03-04T09:50");
        order(t1, "sell", "100", "12", "5", "2024-03-04T15:00");
        auto t2 = trade("MSFT", "1");
        order(t2, "buy", "50", "20", "5", "2024-03-05T10:00");
        order(t2, "sell", "50", "18", "5", "2024-03-05T23:59:59");
        auto t3 = trade("AAPL", "0");
        order(t3, "buy", "10", "50", "0", "2024-03-06T10:00");
    }
};

TEST_F(StatsCommandsTest, JsonHasExactlyTheDocumentedKeysAndFigures) {
    makeTrades();
    const json s = stats({});
    std::set<std::string> keys;
    for (const auto& item : s.items())
        keys.insert(item.key());
    const std::set<std::string> expected{
        "trades",      "wins",        "losses",        "breakEven",      "winRate",
        "averageWin",  "averageLoss", "largestWin",    "largestLoss",    "grossProfit",
        "grossLoss",   "netProfit",   "commissions",   "profitFactor",   "expectancy",
        "payoffRatio", "maxDrawdown", "longestWinRun", "longestLossRun", "holdingTime",
        "openTrades",  "equity",      "daily"};
    EXPECT_EQ(keys, expected); // no "breakdown" without --by
    // The figures themselves are the statistics' own tests; here, that each reaches the JSON.
    EXPECT_EQ(s["trades"], 2);
    EXPECT_DOUBLE_EQ(s["netProfit"].get<double>(), 80);
    EXPECT_DOUBLE_EQ(s["profitFactor"].get<double>(), 190.0 / 110.0);
    EXPECT_DOUBLE_EQ(s["maxDrawdown"]["amount"].get<double>(), 110);
    EXPECT_EQ(s["maxDrawdown"]["peakDate"], "2024-03-04T15:00:00-05:00");
    EXPECT_EQ(s["maxDrawdown"]["lowDate"], "2024-03-05T23:59:59-05:00");
    // 5 h 10 min and 13 h 59 min 59 s.
    EXPECT_DOUBLE_EQ(s["holdingTime"]["average"].get<double>(), (18600 + 50399) / 2.0);
    EXPECT_EQ(s["openTrades"], 1);
    EXPECT_EQ(s["equity"], json::parse(R"([{"date":"2024-03-04T15:00:00-05:00","value":190.0},
                              {"date":"2024-03-05T23:59:59-05:00","value":80.0}])"));
    EXPECT_EQ(s["daily"], json::parse(R"([{"date":"2024-03-04","netProfit":190.0,"trades":1},
                                          {"date":"2024-03-05","netProfit":-110.0,"trades":1}])"));
}

TEST_F(StatsCommandsTest, FiltersRangeEndsAndBreakdowns) {
    makeTrades();
    struct Case {
        std::vector<std::string> args;
        int trades;
        double net;
    };
    const std::vector<Case> cases{
        {{"--to", "2024-03-05"}, 2, 80},        // a bare date is the whole day
        {{"--to", "2024-03-05T23:59"}, 1, 190}, // a time is that moment
        {{"--from", "2024-03-05"}, 1, -110},    //
        {{"--strategy", "Pullback"}, 1, -110},  // by name
        {{"--strategy", "0"}, 1, 190},          // by position
        {{"--ticker", "a*"}, 1, 190},           // the reports' pattern
    };
    for (const auto& c : cases) {
        const json s = stats(c.args);
        EXPECT_EQ(s["trades"], c.trades) << c.args[0] << " " << c.args[1];
        EXPECT_DOUBLE_EQ(s["netProfit"].get<double>(), c.net) << c.args[0] << " " << c.args[1];
    }
    const json by = stats({"--by", "strategy"});
    ASSERT_EQ(by["breakdown"].size(), 2u);
    EXPECT_EQ(by["breakdown"][0]["key"], "Breakout");
    EXPECT_EQ(by["breakdown"][1]["key"], "Pullback");
    EXPECT_EQ(by["breakdown"][1]["profitFactor"], nullptr);
    EXPECT_DOUBLE_EQ(by["breakdown"][1]["averageLoss"].get<double>(), -110);
}

TEST_F(StatsCommandsTest, NoCountedTradeGivesNullsNotZeroDivisions) {
    const json s = stats({});
    EXPECT_EQ(s["trades"], 0);
    for (const char* key : {"winRate", "averageWin", "profitFactor", "expectancy", "payoffRatio",
                            "maxDrawdown", "holdingTime"})
        EXPECT_TRUE(s[key].is_null()) << key;
    EXPECT_EQ(s["equity"], json::array());
}

TEST_F(StatsCommandsTest, TextSummaryInTheUserLocale) {
    makeTrades();
    const auto text = ok({"stats", "-a", "B0W1", "--by", "ticker"}).out;
    EXPECT_THAT(text, HasSubstr("Statistics of My Account (B0W1)"));
    EXPECT_THAT(text, HasSubstr("Net profit              $80.00\n"));
    EXPECT_THAT(text, HasSubstr("Win rate                50%\n"));
    EXPECT_THAT(text, HasSubstr("Profit factor           1.73\n"));
    EXPECT_THAT(text, HasSubstr("Open trades             1  (AAPL 10)\n"));
    EXPECT_THAT(text, HasSubstr("By ticker"));
    EXPECT_THAT(text, HasSubstr("MSFT"));

    ScopedEnv german{"LC_ALL", "de_DE.UTF-8"};
    const auto de = ok({"stats", "-a", "B0W1"}).out;
    EXPECT_THAT(de, HasSubstr("80,00"));
}

TEST_F(StatsCommandsTest, CsvWritesTheBreakdownTable) {
    makeTrades();
    const auto file = temp / "by-day.csv";
    const auto r = ok({"stats", "-a", "B0W1", "--by", "weekday", "--csv", file.string()});
    EXPECT_EQ(r.out, ""); // the file is the output
    const std::string csv = readFile(file);
    EXPECT_THAT(csv, ::testing::StartsWith("key,trades,wins,losses,breakEven,winRate,"));
    EXPECT_THAT(csv, HasSubstr("\nMonday,1,1,0,0,1.0000,190.00,,190.00,,190.00,0.00,190.00,10.00,"
                               ",190.00,,0.00,1,0,18600,18600\n"));
    EXPECT_THAT(csv, HasSubstr("\nTuesday,1,0,1,0,0.0000,"));
}

TEST_F(StatsCommandsTest, UsageErrorsAndFailures) {
    EXPECT_EQ(cli({"stats", "-a", "B0W1", "--by", "year"}).status, 2);
    EXPECT_EQ(cli({"stats", "-a", "B0W1", "--csv", (temp / "x.csv").string()}).status, 2);
    EXPECT_EQ(cli({"stats", "-a", "B0W1", "--from", "March"}).status, 2);
    const auto strategy = cli({"stats", "-a", "B0W1", "--strategy", "Scalping"});
    EXPECT_EQ(strategy.status, 1);
    EXPECT_THAT(strategy.err, HasSubstr("no strategy \"Scalping\""));
    const auto help = ok({"stats", "--help"}).out;
    EXPECT_THAT(help,
                HasSubstr("Profit factor: Gross profit divided by the size of the gross loss"));
    EXPECT_THAT(help, Not(HasSubstr("Left to")));
}

} // namespace
} // namespace brivel::test
