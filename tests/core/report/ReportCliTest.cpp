// brivel-cli report, run as a user would, on an account made through the CLI itself.

#include "support/CliRun.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace brivel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ReportCliTest : public ::testing::Test {
protected:
    TempDir temp;
    ScopedEnv data{"XDG_DATA_HOME", (temp / "data").string()};
    ScopedEnv config{"XDG_CONFIG_HOME", (temp / "config").string()};
    ScopedEnv zone{"TZ", "America/New_York"};
    ScopedEnv locale{"LC_ALL", "en_US.UTF-8"};

    CliRun ok(const std::vector<std::string>& args) {
        CliRun r = runProgram(BRIVEL_CLI_PATH, args, temp.path());
        EXPECT_EQ(r.status, 0) << r.err;
        return r;
    }

    void makeJournal() {
        std::string log = ok({"journal", "add", "-a", "B0W1", "--date", "2024-03-04T09:30"}).id();
        ok({"notes", "add", "-a", "B0W1", "--log", log, "--ticker", "AAPL", "--comment",
            "<script>alert(1)</script> & gap", "--flag", "--time", "2024-03-04T09:45"});
        std::string trade = ok({"trades", "add", "-a", "B0W1", "--ticker", "AAPL", "--strategy",
                                "0", "--date", "2024-03-04T09:50"})
                                .id();
        ok({"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "buy", "--shares", "100",
            "--price", "10", "--desc", "A", "--commission", "5", "--date", "2024-03-04T09:50"});
        ok({"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "sell", "--shares", "100",
            "--price", "12", "--desc", "A", "--commission", "5", "--date", "2024-03-04T15:00"});
    }
};

TEST_F(ReportCliTest, TextReportsOfTheJournalAndTheTradesAndTheEmptyReport) {
    makeJournal();
    auto journal = ok({"report", "-a", "B0W1", "--type", "journal", "--from", "2024-03-01", "--to",
                       "2024-03-31"});
    EXPECT_THAT(journal.out, HasSubstr("Monday - March 4, 2024"));
    EXPECT_THAT(journal.out,
                HasSubstr("3/4/24, 9:45\u202FAM: AAPL - <script>alert(1)</script> & gap"));

    auto trades = ok(
        {"report", "-a", "B0W1", "--type", "trades", "--from", "2024-03-01", "--to", "2024-03-31"});
    EXPECT_THAT(trades.out, HasSubstr("$190.00")); // the trade closed itself before the save

    auto empty =
        ok({"report", "-a", "B0W1", "--type", "2", "--from", "2023-01-01", "--to", "2023-01-31"});
    EXPECT_EQ(empty.out, "Your query returned 0 results. Please check your query and try again.\n");
}

TEST_F(ReportCliTest, HtmlPageEscapesStoredTextAndGoesToTheChosenFile) {
    makeJournal();
    auto file = temp / "notes.html";
    ok({"report", "-a", "B0W1", "--type", "notes", "--from", "2024-03-01", "--to", "2024-03-31",
        "--ticker", "aapl", "--format", "html", "-o", file.string()});
    std::string page = readFile(file);
    EXPECT_THAT(page, HasSubstr("&lt;script&gt;alert(1)&lt;/script&gt; &amp; gap"));
    EXPECT_THAT(page, Not(HasSubstr("<script>")));
}

TEST_F(ReportCliTest, BadInputIsAUsageErrorAndAnUnknownAccountAFailure) {
    auto badType = runProgram(
        BRIVEL_CLI_PATH,
        {"report", "-a", "B0W1", "--type", "9", "--from", "2024-01-01", "--to", "2024-01-02"},
        temp.path());
    EXPECT_EQ(badType.status, 2);
    auto unknown = runProgram(
        BRIVEL_CLI_PATH,
        {"report", "-a", "ZZZZ", "--type", "journal", "--from", "2024-01-01", "--to", "2024-01-02"},
        temp.path());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, ::testing::StartsWith("brivel-cli: "));
}

} // namespace
} // namespace brivel::test
