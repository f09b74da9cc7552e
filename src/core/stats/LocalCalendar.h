#pragma once

#include "core/platform/Date.h"

#include <compare>
#include <memory>
#include <string>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class TimeZone;
U_NAMESPACE_END

namespace brivel::stats {

// A calendar day.
struct CivilDay {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    auto operator<=>(const CivilDay&) const = default;

    // "YYYY-MM-DD".
    std::string isoText() const;
};

// Days, months and weekdays of instants in one time zone (the user's, by default). It remembers
// the span around the last instant asked for in which the zone's offset stays the same (months,
// between clock changes), so that walking through many dates in order costs a time zone lookup
// only at each clock change. Not for use from several threads at once.
class LocalCalendar {
public:
    LocalCalendar();
    explicit LocalCalendar(std::unique_ptr<icu::TimeZone> zone);
    ~LocalCalendar();
    LocalCalendar(LocalCalendar&&) noexcept;
    LocalCalendar& operator=(LocalCalendar&&) noexcept;

    CivilDay dayOf(Date date) const;
    // 1 = Monday ... 7 = Sunday.
    int weekdayOf(Date date) const;
    // The instant of local midnight beginning the day (the earliest valid local time that day).
    Date startOfDay(CivilDay day) const;

    // Weekday of a day, 1 = Monday ... 7 = Sunday, in any time zone.
    static int weekdayOfDay(CivilDay day);
    // Days since 1970-01-01 of a day and the reverse.
    static long long daysFromCivil(CivilDay day);
    static CivilDay civilFromDays(long long days);

private:
    long long localDays(Date date) const;
    // The zone's offset from UTC at an instant, in seconds.
    double offsetAt(double utcSeconds) const;

    std::unique_ptr<icu::TimeZone> m_zone;
    // [m_offsetFrom, m_offsetUntil) shares the offset m_offset.
    mutable double m_offsetFrom = 0, m_offsetUntil = 0, m_offset = 0;
};

} // namespace brivel::stats
