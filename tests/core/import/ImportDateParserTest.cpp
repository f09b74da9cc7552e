#include "core/import/ImportDateParser.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace brivel::import {
namespace {

// 2024-03-01 09:30 in New York (EST) is 14:30 UTC.
constexpr double MarchOpen = 1709303400.0;
// 2024-07-01 09:30 in New York (EDT) is 13:30 UTC.
constexpr double JulyOpen = 1719840600.0;

struct DateCase {
    const char* date;
    const char* time;
    std::optional<double> expected;
};

class ImportDateParserTest : public ::testing::TestWithParam<DateCase> {
protected:
    test::ScopedEnv zone{"TZ", "America/New_York"};
};

TEST_P(ImportDateParserTest, ReadsTheForm) {
    const DateCase& c = GetParam();
    ImportDateParser parser;
    const auto d = parser.parse(c.date, c.time);
    EXPECT_EQ(d ? std::optional<double>(d->secondsSince1970) : std::nullopt, c.expected)
        << c.date << " | " << c.time;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ImportDateParserTest,
    ::testing::Values(
        // ISO 8601, local unless an offset is given.
        DateCase{"2024-03-01T09:30", "", MarchOpen}, DateCase{"2024-03-01 09:30:00", "", MarchOpen},
        DateCase{"2024-03-01T14:30:00Z", "", MarchOpen},
        DateCase{"2024-03-01T15:30:00+01:00", "", MarchOpen},
        DateCase{"2024-03-01 09:30:00 -0500", "", MarchOpen}, // the trade export's own form
        DateCase{"2024-07-01T09:30", "", JulyOpen},           // summer time
        DateCase{"2024-03-01T09:30:00.250", "", MarchOpen + 0.25},
        DateCase{"2024-03-01", "", MarchOpen - 9.5 * 3600},
        // MM/DD/YYYY, one-digit month and day too.
        DateCase{"03/01/2024 09:30", "", MarchOpen}, DateCase{"3/1/2024 9:30:00", "", MarchOpen},
        DateCase{"03/01/2024", "9:30 AM", MarchOpen}, DateCase{"07/01/2024", "09:30", JulyOpen},
        DateCase{"02/29/2024", "", 1709182800.0}, // a leap day, midnight EST
        // YYYYMMDD.
        DateCase{"20240301 09:30:00", "", MarchOpen}, DateCase{"20240301", "09:30:00", MarchOpen},
        DateCase{"20240301", "14:30:00Z", MarchOpen},
        // A time in the date wins over the time column.
        DateCase{"2024-03-01 09:30", "15:00", MarchOpen},
        DateCase{"03/01/2024", "1:30 PM", MarchOpen + 4 * 3600},
        DateCase{"03/01/2024", "12:00 AM", MarchOpen - 9.5 * 3600},
        // Not dates.
        DateCase{"2024-02-30", "", std::nullopt}, DateCase{"2023-02-29", "", std::nullopt},
        DateCase{"13/01/2024", "", std::nullopt}, DateCase{"2024-03-01 24:00", "", std::nullopt},
        DateCase{"2024-03-01 09:60", "", std::nullopt}, DateCase{"20240301x", "", std::nullopt},
        DateCase{"yesterday", "", std::nullopt}, DateCase{"", "", std::nullopt},
        DateCase{"2024-03-01", "25:00", std::nullopt},
        DateCase{"03/01/2024", "13:00 PM", std::nullopt},
        DateCase{"2024-03-01T09:30+2500", "", std::nullopt}));

} // namespace
} // namespace brivel::import
