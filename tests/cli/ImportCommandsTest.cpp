// brivel-cli import trades, run as a user would: a separate process with its own XDG folders, no
// terminal on standard input, New York time.

#include "support/CliFixture.h"

#include <gmock/gmock.h>

namespace brivel::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::HasSubstr;

const char* Fills = "Date,Symbol,Side,Quantity,Price,Commission\n"
                    "2024-03-01 09:30,AAPL,buy,100,10,1\n"
                    "2024-03-01 09:31,MSFT,sell,50,20,1\n"
                    "2024-03-01 09:40,AAPL,sell,100,12,1\n"
                    "2024-03-01 09:45,MSFT,buy,20,19,1\n";

class ImportCommandsTest : public CliFixture {
protected:
    void SetUp() override { ok({"accounts", "list"}); } // makes the default account B0W1

    json importJson(const fs::path& file, std::vector<std::string> extra = {}) const {
        std::vector<std::string> args = {"import", "trades", "-a", "B0W1", file.string(), "--json"};
        args.insert(args.end(), extra.begin(), extra.end());
        return json::parse(ok(args).out);
    }
    json trades(const std::string& account = "B0W1") const {
        return json::parse(ok({"trades", "list", "-a", account, "--json"}).out);
    }
    fs::path database() const {
        return temp / "data" / "Brivel Trade Journal" / "B0W1" / "database.brdb";
    }
};

TEST_F(ImportCommandsTest, ImportsExecutionsAndSummarisesThemAfterADryRunThatWritesNothing) {
    writeFile(temp / "fills.csv", Fills);
    const std::string before = readFile(database());
    CliRun dry = ok({"import", "trades", "-a", "B0W1", (temp / "fills.csv").string(), "--dry-run"});
    EXPECT_THAT(dry.out, HasSubstr("Dry run: nothing was written"));
    EXPECT_THAT(dry.out, HasSubstr("Trades created: 2\n"));
    EXPECT_EQ(readFile(database()), before);
    EXPECT_TRUE(trades().empty());

    json s = importJson(temp / "fills.csv");
    EXPECT_EQ(s["dryRun"], false);
    EXPECT_EQ(s["format"], "executions");
    EXPECT_EQ(s["tradesCreated"], 2);
    EXPECT_EQ(s["ordersCreated"], 4);
    EXPECT_EQ(s["tradesClosed"], 1);
    EXPECT_EQ(s["netProfit"], 198.0);
    EXPECT_EQ(s["duplicatesSkipped"], 0);

    // Saved: what the trades are made of is the importer's own test.
    json listed = trades();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[1]["profit"], 198.0);

    // The second time every fill is already there.
    json again = importJson(temp / "fills.csv");
    EXPECT_EQ(again["tradesCreated"], 0);
    EXPECT_EQ(again["duplicatesSkipped"], 4);
    EXPECT_EQ(trades().size(), 2u);

    CliRun text =
        ok({"import", "trades", "-a", "B0W1", (temp / "fills.csv").string(), "--keep-duplicates"});
    EXPECT_THAT(text.out, HasSubstr("Trades created: 2\n"));
    EXPECT_THAT(text.out, HasSubstr("Trades closed: 1, net profit 198.00\n"));
    EXPECT_EQ(trades().size(), 4u);
}

TEST_F(ImportCommandsTest, ABadLineStopsTheImportWithItsNumber) {
    writeFile(temp / "bad.csv", "Date,Symbol,Side,Quantity,Price\n"
                                "2024-03-01,AAPL,buy,100,10\n"
                                "2024-03-01,AAPL,hold,100,12\n");
    const std::string before = readFile(database());
    CliRun r = cli({"import", "trades", "-a", "B0W1", (temp / "bad.csv").string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("brivel-cli: line 3, column \"Side\", value \"hold\""));
    EXPECT_THAT(r.err, HasSubstr("nothing was imported"));
    EXPECT_EQ(readFile(database()), before) << "the account is untouched";

    json s = importJson(temp / "bad.csv", {"--skip-bad-lines"});
    EXPECT_EQ(s["tradesCreated"], 1);
    EXPECT_EQ(s["linesSkipped"], 1);
    EXPECT_EQ(s["skippedLines"][0]["line"], 3);
    EXPECT_EQ(s["skippedLines"][0]["value"], "hold");
}

TEST_F(ImportCommandsTest, TheTradeExportComesBackIdentical) {
    writeFile(temp / "fills.csv", Fills);
    importJson(temp / "fills.csv");
    ok({"strategies", "add", "Swing, intraday"});
    ok({"trades", "set", "-a", "B0W1", trades()[1]["id"].get<std::string>(), "--strategy", "0"});
    ok({"export", "trades", "-a", "B0W1", (temp / "first.csv").string()});

    const std::string code = ok({"accounts", "new", "--name", "Copy"}).id();
    CliRun r = ok({"import", "trades", "-a", code, (temp / "first.csv").string()});
    EXPECT_THAT(r.out, HasSubstr("Format: brivel\n"));
    ok({"export", "trades", "-a", code, (temp / "second.csv").string()});
    EXPECT_EQ(readFile(temp / "second.csv"), readFile(temp / "first.csv"));
}

TEST_F(ImportCommandsTest, UsageErrorsExitWithTwoAndFailuresWithOne) {
    writeFile(temp / "fills.csv", Fills);
    auto run = [&](const std::string& file, std::vector<std::string> extra = {}) {
        extra.insert(extra.begin(), {"import", "trades", "-a", "B0W1", (temp / file).string()});
        return cli(extra);
    };
    EXPECT_EQ(run("fills.csv", {"--map", "price"}).status, 2);
    EXPECT_EQ(run("fills.csv", {"--format", "xls"}).status, 2);
    CliRun missing = run("none.csv");
    EXPECT_EQ(missing.status, 1);
    EXPECT_THAT(missing.err, HasSubstr("cannot read"));
    CliRun unknown = run("fills.csv", {"--map", "prize=Price"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, HasSubstr("no field \"prize\""));
}

} // namespace
} // namespace brivel::test
