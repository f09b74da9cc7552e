// brivel-cli export trades|journal.
#include "support/CliFixture.h"

#include <gmock/gmock.h>

namespace brivel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

class ExportCommandsTest : public CliFixture {};

TEST_F(ExportCommandsTest, TradesAndJournalGoToTheirFiles) {
    // No --strategy: the trade is at position 0, and the export names that strategy.
    const std::string trade =
        ok({"trades", "add", "-a", "B0W1", "--ticker", "AAPL", "--date", "2024-03-04T09:30"}).id();
    ok({"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "buy", "--shares", "100",
        "--price", "1000.25", "--desc", "A", "--date", "2024-03-04T09:30"});
    const std::string log = ok({"journal", "add", "-a", "B0W1", "--date", "2024-03-04T08:00"}).id();
    ok({"notes", "add", "-a", "B0W1", "--log", log, "--ticker", "MSFT", "--comment", "gap, up",
        "--flag", "--time", "2024-03-04T09:00"});
    const std::string strategy = listJson("strategies")[0]["strategy"];

    ok({"export", "trades", "-a", "B0W1", path("trades.csv").string()});
    EXPECT_EQ(readFile(path("trades.csv")),
              "Trade #,Order Date,Ticker,Description,Buy/Sell,Quantity,Price,Commission,Reason,"
              "Strategy\n1,2024-03-04 09:30:00 -0500,AAPL,A,Buy,100,\"$1,000.25\",,," +
                  strategy + "\n");

    ok({"export", "journal", "-a", "B0W1", path("journal.csv").string()});
    EXPECT_THAT(readFile(path("journal.csv")),
                HasSubstr("X,2024-03-04 08:00:00 -0500,2024-03-04 09:00:00 -0500,MSFT,\"gap, "
                          "up\"\n"));
}

TEST_F(ExportCommandsTest, FailuresSayWhyAndLeaveNoFile) {
    CliRun unknown = cli({"export", "trades", "-a", "ZZZZ", path("t.csv").string()});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, StartsWith("brivel-cli: "));
    EXPECT_FALSE(std::filesystem::exists(path("t.csv")));

    CliRun unwritable = cli({"export", "journal", "-a", "B0W1", path("no/such/j.csv").string()});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_THAT(unwritable.err, HasSubstr("brivel-cli: Unable to create the file"));

    EXPECT_EQ(cli({"export", "orders", "-a", "B0W1", path("o.csv").string()}).status, 2);
}

} // namespace
} // namespace brivel::test
