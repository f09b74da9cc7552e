#pragma once

#include "core/platform/Date.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace brivel::import {

// The dates of import files: ISO 8601 ("2024-03-01", "2024-03-01T09:30", "2024-03-01 09:30:15",
// the trade export's "2024-03-01 09:30:15 -0500"), "MM/DD/YYYY" and "YYYYMMDD", each with an
// optional time "HH:MM[:SS[.fff]]" (optionally "AM"/"PM") and an optional offset ("Z", "+HHMM",
// "+HH:MM"). Without an offset the time is local, in the environment's time zone (TZ).
class ImportDateParser {
public:
    // The date text, and the text of a separate time column (empty when there is none). A time
    // inside the date text wins over the time column. Nothing when the text is not a date or
    // names no real day or time.
    std::optional<Date> parse(std::string_view date, std::string_view time = {});

private:
    struct Fields {
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        double fraction = 0.0;
        std::optional<int> offsetSeconds;
        bool hasTime = false;
    };
    static bool parseDay(std::string_view& text, Fields& f);
    static bool parseTime(std::string_view& text, Fields& f);
    static bool parseOffset(std::string_view& text, Fields& f);
    std::optional<Date> toDate(const Fields& f);

    // Local hour starts, so that a file of many executions asks the time zone rules once per
    // hour rather than once per line.
    std::unordered_map<std::int64_t, std::time_t> m_localHours;
};

} // namespace brivel::import
