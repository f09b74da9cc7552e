#include "cli/DateInput.h"

#include <ctime>
#include <regex>
#include <string>

namespace brivel::cli {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

unsigned daysInMonth(int year, unsigned month) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
}

// Local midnight of the day, or nothing where the C library cannot place it.
std::optional<Date> localMidnight(int year, int month, int day) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day; // mktime carries day 32 into the next month
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1) && !(local.tm_year == 69 && local.tm_mday == 31))
        return std::nullopt;
    return Date(static_cast<double>(t));
}

} // namespace

std::optional<Date> parseInputDate(std::string_view text) {
    static const std::regex form(
        R"((\d{4})-(\d{2})-(\d{2})(?:T(\d{2}):(\d{2})(?::(\d{2}))?(Z|[+-]\d{2}:?\d{2})?)?)");
    std::match_results<std::string_view::const_iterator> m;
    if (!std::regex_match(text.begin(), text.end(), m, form))
        return std::nullopt;
    auto number = [&](int i) { return m[i].matched ? std::stoi(m[i].str()) : 0; };
    const int year = number(1), month = number(2), day = number(3);
    const int hour = number(4), minute = number(5), second = number(6);
    if (month < 1 || month > 12 || day < 1 ||
        static_cast<unsigned>(day) > daysInMonth(year, static_cast<unsigned>(month)) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;

    if (m[7].matched) {
        const std::string zone = m[7].str();
        int offset = 0;
        if (zone != "Z") {
            const int zoneHours = std::stoi(zone.substr(1, 2));
            const int zoneMinutes = std::stoi(zone.substr(zone.size() - 2));
            if (zoneHours > 23 || zoneMinutes > 59)
                return std::nullopt;
            offset = (zoneHours * 60 + zoneMinutes) * 60 * (zone[0] == '-' ? -1 : 1);
        }
        const std::int64_t days =
            daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
        return Date(
            static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second - offset));
    }

    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1; // the zone's own rule for that day
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1) && !(local.tm_year == 69 && local.tm_mday == 31))
        return std::nullopt;
    return Date(static_cast<double>(t));
}

std::optional<Date> parseRangeEnd(std::string_view text) {
    const std::optional<Date> start = parseInputDate(text);
    if (!start || text.size() != 10)
        return start;
    // The last millisecond before the next day's midnight, so that 23:59:59 and any fraction of
    // it are in; a day of 23 or 25 hours ends there too.
    const int year = std::stoi(std::string(text.substr(0, 4)));
    const int month = std::stoi(std::string(text.substr(5, 2)));
    const int day = std::stoi(std::string(text.substr(8, 2)));
    const std::optional<Date> next = localMidnight(year, month, day + 1);
    return next ? std::optional<Date>(next->addingSeconds(-0.001)) : start;
}

} // namespace brivel::cli
