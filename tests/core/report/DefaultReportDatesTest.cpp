#include "ReportTestSupport.h"

#include "core/report/DefaultReportDates.h"
#include "support/TempDir.h"

namespace brivel::report::test {
namespace {

struct Case {
    const char* what;
    const char* zone;
    int year, month, day, hour; // now, local
    int beginMonth, beginDay, beginHour;
};

// begin = today's start - 6 x today's length; end = the last second of today. Each case sets
// the zone it is read in: the Berlin one fails when the environment's zone is not followed.
TEST(DefaultReportDatesTest, SevenTimesTodaysLengthEndingAtTheLastSecondOfToday) {
    const Case cases[] = {
        {"ordinary week", "America/New_York", 2024, 1, 17, 15, 1, 11, 0},
        {"just after midnight", "America/New_York", 2024, 1, 17, 0, 1, 11, 0},
        {"spring forward: 23-hour day", "America/New_York", 2024, 3, 10, 12, 3, 4, 6},
        {"fall back: 25-hour day", "America/New_York", 2024, 11, 3, 12, 10, 27, 18},
        // The week held a 23-hour day, but only today's length counts: an hour earlier.
        {"day after spring forward", "America/New_York", 2024, 3, 11, 9, 3, 4, 23},
        {"spring forward in Berlin", "Europe/Berlin", 2024, 3, 31, 20, 3, 25, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        brivel::test::ScopedEnv tz("TZ", c.zone);
        const Date now = wallClock(c.zone, c.year, c.month, c.day, c.hour, 30, 0);
        auto range = defaultReportDates(now);
        ASSERT_TRUE(range);
        EXPECT_EQ(range->begin,
                  wallClock(c.zone, c.year, c.beginMonth, c.beginDay, c.beginHour, 0, 0));
        EXPECT_EQ(range->end, wallClock(c.zone, c.year, c.month, c.day, 23, 59, 59));
    }
}

} // namespace
} // namespace brivel::report::test
