#include "core/stats/LocalCalendar.h"

#include "core/platform/UserLocale.h"

#include <cmath>
#include <fmt/format.h>
#include <unicode/basictz.h>
#include <unicode/timezone.h>
#include <unicode/tztrans.h>

namespace brivel::stats {

std::string CivilDay::isoText() const {
    return fmt::format("{:04}-{:02}-{:02}", year, month, day);
}

LocalCalendar::LocalCalendar() : m_zone(userTimeZone()) {}
LocalCalendar::LocalCalendar(std::unique_ptr<icu::TimeZone> zone) : m_zone(std::move(zone)) {}
LocalCalendar::~LocalCalendar() = default;
LocalCalendar::LocalCalendar(LocalCalendar&&) noexcept = default;
LocalCalendar& LocalCalendar::operator=(LocalCalendar&&) noexcept = default;

// Howard Hinnant's days-from-civil algorithm (proleptic Gregorian).
long long LocalCalendar::daysFromCivil(CivilDay d) {
    const long long y = d.year - (d.month <= 2 ? 1 : 0);
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long mp = (d.month + 9) % 12;
    const long long doy = (153 * mp + 2) / 5 + d.day - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

CivilDay LocalCalendar::civilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

int LocalCalendar::weekdayOfDay(CivilDay day) {
    // 1970-01-01 was a Thursday (4).
    const long long days = daysFromCivil(day);
    const long long wd = ((days % 7) + 7 + 3) % 7; // 0 = Monday
    return static_cast<int>(wd) + 1;
}

double LocalCalendar::offsetAt(double utcSeconds) const {
    if (utcSeconds >= m_offsetFrom && utcSeconds < m_offsetUntil)
        return m_offset;
    if (!m_zone)
        return 0.0;
    const double millis = utcSeconds * 1000.0;
    int32_t raw = 0, dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    m_zone->getOffset(millis, false, raw, dst, status);
    if (U_FAILURE(status))
        return 0.0;
    const double offset = (raw + dst) / 1000.0;
    // The span between the clock changes around the instant, when the zone can tell them.
    if (const auto* basic = dynamic_cast<const icu::BasicTimeZone*>(m_zone.get())) {
        icu::TimeZoneTransition before, after;
        const bool hasBefore = basic->getPreviousTransition(millis, true, before);
        const bool hasAfter = basic->getNextTransition(millis, false, after);
        m_offsetFrom = hasBefore ? before.getTime() / 1000.0 : -1e300;
        m_offsetUntil = hasAfter ? after.getTime() / 1000.0 : 1e300;
        m_offset = offset;
    }
    return offset;
}

long long LocalCalendar::localDays(Date date) const {
    const double localSeconds = date.secondsSince1970 + offsetAt(date.secondsSince1970);
    return static_cast<long long>(std::floor(localSeconds / 86400.0));
}

CivilDay LocalCalendar::dayOf(Date date) const {
    return civilFromDays(localDays(date));
}

int LocalCalendar::weekdayOf(Date date) const {
    return weekdayOfDay(dayOf(date));
}

Date LocalCalendar::startOfDay(CivilDay day) const {
    const double localMidnight = static_cast<double>(daysFromCivil(day)) * 86400.0;
    if (!m_zone)
        return Date(localMidnight);
    // Local wall time to instant: ICU resolves skipped times to the later side.
    int32_t raw = 0, dst = 0;
    UErrorCode status = U_ZERO_ERROR;
    m_zone->getOffset(localMidnight * 1000.0, true, raw, dst, status);
    if (U_FAILURE(status))
        return Date(localMidnight);
    return Date(localMidnight - (raw + dst) / 1000.0);
}

} // namespace brivel::stats
