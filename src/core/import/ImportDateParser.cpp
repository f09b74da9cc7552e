#include "core/import/ImportDateParser.h"

#include <cctype>

namespace brivel::import {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Exactly n digits at the front of text, consumed.
bool digits(std::string_view& text, std::size_t n, int& out) {
    if (text.size() < n)
        return false;
    int v = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (!isDigit(text[i]))
            return false;
        v = v * 10 + (text[i] - '0');
    }
    out = v;
    text.remove_prefix(n);
    return true;
}

// One or two digits, consumed.
bool shortNumber(std::string_view& text, int& out) {
    std::size_t n = 0;
    while (n < text.size() && n < 2 && isDigit(text[n]))
        ++n;
    return n > 0 && digits(text, n, out);
}

bool eat(std::string_view& text, char c) {
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

void skipBlanks(std::string_view& text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
}

std::string_view trimmed(std::string_view text) {
    skipBlanks(text);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : days[m - 1];
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
std::int64_t daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy =
        (153 * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

} // namespace

bool ImportDateParser::parseDay(std::string_view& text, Fields& f) {
    if (text.size() >= 5 && isDigit(text[0]) && (text[1] == '/' || text[2] == '/')) {
        // MM/DD/YYYY
        return shortNumber(text, f.month) && eat(text, '/') && shortNumber(text, f.day) &&
               eat(text, '/') && digits(text, 4, f.year);
    }
    if (!digits(text, 4, f.year))
        return false;
    if (eat(text, '-'))
        return digits(text, 2, f.month) && eat(text, '-') && digits(text, 2, f.day);
    return digits(text, 2, f.month) && digits(text, 2, f.day); // YYYYMMDD
}

bool ImportDateParser::parseTime(std::string_view& text, Fields& f) {
    if (!shortNumber(text, f.hour) || !eat(text, ':') || !digits(text, 2, f.minute))
        return false;
    if (eat(text, ':')) {
        if (!digits(text, 2, f.second))
            return false;
        if (eat(text, '.')) {
            double scale = 0.1;
            std::size_t n = 0;
            while (!text.empty() && isDigit(text.front())) {
                f.fraction += (text.front() - '0') * scale;
                scale /= 10;
                text.remove_prefix(1);
                ++n;
            }
            if (n == 0)
                return false;
        }
    }
    std::string_view rest = text;
    skipBlanks(rest);
    if (rest.size() >= 2 && (rest[1] == 'M' || rest[1] == 'm')) {
        const char ap = static_cast<char>(std::toupper(static_cast<unsigned char>(rest[0])));
        if (ap == 'A' || ap == 'P') {
            if (f.hour < 1 || f.hour > 12)
                return false;
            f.hour = f.hour % 12 + (ap == 'P' ? 12 : 0);
            rest.remove_prefix(2);
            text = rest;
        }
    }
    f.hasTime = true;
    return true;
}

bool ImportDateParser::parseOffset(std::string_view& text, Fields& f) {
    skipBlanks(text);
    if (text.empty())
        return true;
    if (eat(text, 'Z') || eat(text, 'z')) {
        f.offsetSeconds = 0;
        return true;
    }
    const char sign = text.front();
    if (sign != '+' && sign != '-')
        return false;
    text.remove_prefix(1);
    int h = 0, m = 0;
    if (!digits(text, 2, h))
        return false;
    eat(text, ':');
    if (!digits(text, 2, m) || h > 23 || m > 59)
        return false;
    f.offsetSeconds = (h * 3600 + m * 60) * (sign == '-' ? -1 : 1);
    return true;
}

std::optional<Date> ImportDateParser::parse(std::string_view date, std::string_view time) {
    std::string_view text = trimmed(date);
    Fields f;
    if (!parseDay(text, f))
        return std::nullopt;
    if (!text.empty() && (text.front() == 'T' || text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
        skipBlanks(text);
        if (!text.empty() && isDigit(text.front()) && !parseTime(text, f))
            return std::nullopt;
    }
    if (!parseOffset(text, f) || !text.empty())
        return std::nullopt;
    std::string_view t = trimmed(time);
    if (!f.hasTime && !t.empty()) {
        if (!parseTime(t, f) || (!f.offsetSeconds && !parseOffset(t, f)) || !t.empty())
            return std::nullopt;
    }
    return toDate(f);
}

std::optional<Date> ImportDateParser::toDate(const Fields& f) {
    if (f.month < 1 || f.month > 12 || f.day < 1 || f.day > daysInMonth(f.year, f.month) ||
        f.hour > 23 || f.minute > 59 || f.second > 59)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(f.year, f.month, f.day);
    const double withinHour = f.minute * 60 + f.second + f.fraction;
    if (f.offsetSeconds)
        return Date(static_cast<double>(days * 86400 + f.hour * 3600 - *f.offsetSeconds) +
                    withinHour);
    const std::int64_t key = days * 24 + f.hour;
    auto it = m_localHours.find(key);
    if (it == m_localHours.end()) {
        std::tm local{};
        local.tm_year = f.year - 1900;
        local.tm_mon = f.month - 1;
        local.tm_mday = f.day;
        local.tm_hour = f.hour;
        local.tm_isdst = -1; // the zone's own rule for that day
        it = m_localHours.emplace(key, std::mktime(&local)).first;
    }
    return Date(static_cast<double>(it->second) + withinHour);
}

} // namespace brivel::import
