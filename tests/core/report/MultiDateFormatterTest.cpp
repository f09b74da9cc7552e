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

TEST_F(MultiDateFormatterTest, ShowsTheMediumStyleWithoutTime) {
    EXPECT_EQ(formatter.stringFromDate(localTime(2024, 1, 15, 16, 45)), "Jan 15, 2024");
}

TEST_F(MultiDateFormatterTest, ReadsTheShortStyleAndShowsItMedium) {
    auto date = formatter.dateFromString("1/15/24");
    ASSERT_TRUE(date);
    EXPECT_EQ(*date, jan15);
    EXPECT_EQ(formatter.stringFromDate(*date), "Jan 15, 2024");
}

TEST_F(MultiDateFormatterTest, ReadsTheMediumStyleUnchanged) {
    auto date = formatter.dateFromString("Jan 15, 2024");
    ASSERT_TRUE(date);
    EXPECT_EQ(*date, jan15);
    EXPECT_EQ(formatter.stringFromDate(*date), "Jan 15, 2024");
}

TEST_F(MultiDateFormatterTest, ReadsTheLongStyleWithTheFullMonthName) {
    EXPECT_EQ(formatter.dateFromString("January 15, 2024"), jan15);
    EXPECT_EQ(formatter.dateFromString("  March 3, 2024 "), localTime(2024, 3, 3));
}

TEST_F(MultiDateFormatterTest, ReadDatesAreLocalMidnight) {
    // The day daylight saving starts in New York is 23 hours long; its midnight is still 00:00.
    auto date = formatter.dateFromString("3/10/24");
    ASSERT_TRUE(date);
    EXPECT_EQ(*date, localTime(2024, 3, 10, 0, 0, 0));
    EXPECT_EQ(date->secondsSince1970, 1710046800); // 2024-03-10T05:00:00Z
}

TEST_F(MultiDateFormatterTest, RefusesTextThatIsNoDate) {
    for (const char* text : {"hello", "", "42", "Jan 15", "13/45/24", "2/30/24", "1/15/24 junk"})
        EXPECT_FALSE(formatter.dateFromString(text)) << text;

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
