#pragma once

#include "core/platform/Date.h"

#include <optional>

namespace brivel::report {

// The date range a report view starts with: the last seven calendar days through today.
struct ReportDateRange {
    Date begin;
    Date end;
};

// From the calendar day that holds now (its start S and its length L in seconds, in the user's
// time zone): begin = S - 6L, end = begin + 7L - 1 s, the last second of today. Today's length is
// taken for every day of the week, so on the day daylight saving starts (23 hours) the range
// begins at 06:00 six days earlier. Nothing when the calendar cannot say where today lies.
std::optional<ReportDateRange> defaultReportDates(Date now);

} // namespace brivel::report
