// brivel-cli report, run as a user would, on an account made through the CLI itself.

#include "support/CliFixture.h"

#include <gmock/gmock.h>

namespace brivel::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class ReportCommandsTest : public CliFixture {
protected:
    void makeJournal() {
        std::string log = ok({"journal", "add", "-a", "B0W1", "--date", "2024-03-04T09:30"}).id();
        ok({"notes", "add", "-a", "B0W1", "--log", log, "--ticker", "AAPL", "--comment",
            "<script>alert(1)</script> & gap", "--flag", "--time", "2024-03-04T09:45"});
        std::string trade = ok({"trades", "add", "-a", "B0W1", "--ticker", "AAPL", "--strategy",
                                "0", "--date", "2024-03-04T09:50"})
                                .id();
        for (const auto& [side, price, date] : {std::tuple{"buy", "10", "2024-03-04T09:50"},
                                                std::tuple{"sell", "12", "2024-03-04T15:00"}})
            ok({"orders", "add", "-a", "B0W1", "--trade", trade, "--side", side, "--shares", "100",
                "--price", price, "--desc", "A", "--commission", "5", "--date", date});
    }
};

TEST_F(ReportCommandsTest, TextReportsTheirDateRangesAndAnUnknownType) {
    makeJournal(); // the trade is dated 2024-03-04 09:50, New York time
    const std::string none =
        "Your query returned 0 results. Please check your query and try again.\n";
    const struct {
        const char *type, *from, *to;
        std::string expected;
    } cases[] = {
        {"journal", "2024-03-01", "2024-03-31", "Monday - March 4, 2024"},
        {"journal", "2024-03-01", "2024-03-31",
         "3/4/24, 9:45\u202FAM: AAPL - <script>alert(1)</script> & gap"},
        // The trade closed itself before the save.
        {"trades", "2024-03-01", "2024-03-31", "$190.00"},
        // A bare end date takes in the whole day (the range end itself is StatsCommandsTest's).
        {"trades", "2024-03-04", "2024-03-04", "$190.00"},
        {"trades", "2024-03-04T09:51", "2024-03-05", none}, // --from stays as given
        {"2", "2023-01-01", "2023-01-31", none},
    };
    for (const auto& c : cases) {
        auto r = ok({"report", "-a", "B0W1", "--type", c.type, "--from", c.from, "--to", c.to});
        EXPECT_THAT(r.out, HasSubstr(c.expected)) << c.type << " " << c.from << " " << c.to;
        if (c.expected == none) {
            EXPECT_EQ(r.out, none);
        }
    }
    EXPECT_THAT(ok({"report", "--help"}).out, HasSubstr("23:59:59"));
    // Report types go by name or number: 9 is none of them. (An unknown account is resolved
    // as for an export: ExportCommandsTest.)
    auto badType =
        cli({"report", "-a", "B0W1", "--type", "9", "--from", "2024-01-01", "--to", "2024-01-02"});
    EXPECT_EQ(badType.status, 2);
}

TEST_F(ReportCommandsTest, HtmlPageEscapesStoredTextAndGoesToTheChosenFile) {
    makeJournal();
    auto file = temp / "notes.html";
    ok({"report", "-a", "B0W1", "--type", "notes", "--from", "2024-03-01", "--to", "2024-03-31",
        "--ticker", "aapl", "--format", "html", "-o", file.string()});
    std::string page = readFile(file);
    EXPECT_THAT(page, HasSubstr("&lt;script&gt;alert(1)&lt;/script&gt; &amp; gap"));
    EXPECT_THAT(page, Not(HasSubstr("<script>")));
}

} // namespace
} // namespace brivel::test
