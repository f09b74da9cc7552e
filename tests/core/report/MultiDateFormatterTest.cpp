#include "ReportTestSupport.h"

#include "core/report/MultiDateFormatter.h"
#include "support/TempDir.h"

namespace brivel::report::test {
namespace {

class MultiDateFormatterTest : public ::testing::Test {
protected:
    MultiDateFormatter formatter;
    const Date jan15 = localTime(2024, 1, 15);
};

TEST_F(MultiDateFormatterTest, ReadsTheThreeStylesAsLocalMidnightAndShowsTheMediumOne) {
    struct Case {
        const char* text;
        std::optional<Date> date;
    };
    const Case cases[] = {
        {"1/15/24", jan15},
        {"Jan 15, 2024", jan15},
        {"January 15, 2024", jan15},
        {"  March 3, 2024 ", localTime(2024, 3, 3)},
        // The day daylight saving starts in New York is 23 hours long; its midnight is 05:00 UTC.
        {"3/10/24", Date(1710046800)},
        // Not a date, or not a real day: refused, never rolled over into another date.
        {"hello", std::nullopt},
        {"", std::nullopt},
        {"42", std::nullopt},
        {"Jan 15", std::nullopt},
        {"13/45/24", std::nullopt},
        {"2/30/24", std::nullopt},
        {"1/15/24 junk", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(formatter.dateFromString(c.text), c.date) << c.text;
    EXPECT_EQ(formatter.stringFromDate(localTime(2024, 1, 15, 16, 45)), "Jan 15, 2024");
}

TEST_F(MultiDateFormatterTest, AFailedReadLeavesTheValueAndSaysWhy) {
    Date untouched(123);
    Error error;
    EXPECT_FALSE(formatter.getObjectValue(&untouched, "not a date", nullptr, &error));
    EXPECT_EQ(untouched, Date(123));
    EXPECT_EQ(error.code, 2048);
    EXPECT_NE(error.localizedDescription.find("not a date"), std::string::npos);
}

TEST_F(MultiDateFormatterTest, RangeSelectsThePartAndReportsWhatWasRead) {
    const std::string text = "Due: 1/15/24 at noon";
    MultiDateFormatter::Range range{5, text.size() - 5};
    Date date;
    ASSERT_TRUE(formatter.getObjectValue(&date, text, &range, nullptr));
    EXPECT_EQ(date, jan15);
    EXPECT_EQ(range.location, 5u);
    EXPECT_EQ(text.substr(range.location, range.length).rfind("1/15/24", 0), 0u);
    EXPECT_LE(range.length, text.size() - 5);

    MultiDateFormatter::Range outside{text.size() + 1, 3};
    EXPECT_FALSE(formatter.getObjectValue(&date, text, &outside, nullptr));
}

TEST_F(MultiDateFormatterTest, ParsingFollowsTheEnvironmentAtTheTimeOfReading) {
    brivel::test::ScopedEnv locale("LC_ALL", "de_DE.UTF-8");
    brivel::test::ScopedEnv zone("TZ", "Europe/Berlin");
    auto date = formatter.dateFromString("15.01.24");
    ASSERT_TRUE(date);
    EXPECT_EQ(date->secondsSince1970, 1705273200); // 2024-01-14T23:00:00Z, Berlin midnight
    EXPECT_EQ(formatter.dateFromString("15. Januar 2024"), date);
}

} // namespace
} // namespace brivel::report::test
