#include "core/report/DefaultReportDates.h"

#include "core/platform/UserLocale.h"

#include <memory>
#include <unicode/calendar.h>

namespace brivel::report {

std::optional<ReportDateRange> defaultReportDates(Date now) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> calendar(
        icu::Calendar::createInstance(userTimeZone().release(), userLocale(), status));
    if (U_FAILURE(status) || !calendar)
        return std::nullopt;

    // The start of today and of tomorrow in local time; their distance is today's length.
    calendar->setTime(now.secondsSince1970 * 1000.0, status);
    const int32_t year = calendar->get(UCAL_YEAR, status);
    const int32_t month = calendar->get(UCAL_MONTH, status);
    const int32_t day = calendar->get(UCAL_DATE, status);
    calendar->clear();
    calendar->set(year, month, day, 0, 0, 0);
    const UDate start = calendar->getTime(status);
    calendar->add(UCAL_DATE, 1, status);
    const UDate next = calendar->getTime(status);
    if (U_FAILURE(status) || !(next > start))
        return std::nullopt;

    const double startSeconds = start / 1000.0;
    const double length = (next - start) / 1000.0;
    ReportDateRange range;
    range.begin = Date(startSeconds - 6 * length);
    range.end = range.begin.addingSeconds(7 * length - 1);
    return range;
}

} // namespace brivel::report
