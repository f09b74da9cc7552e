#include "core/csv/CsvValue.h"

#include <charconv>
#include <cmath>
#include <ctime>
#include <fmt/format.h>

namespace brivel::csv {

namespace {

std::string plainDecimal(double d) {
    if (std::isnan(d))
        return "nan";
    if (std::isinf(d))
        return d < 0 ? "-inf" : "inf";
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
    return std::string(buf, r.ptr);
}

} // namespace

std::string formatCsvDate(Date date) {
    tzset(); // follow a TZ changed since the last date
    const double floored = std::floor(date.secondsSince1970);
    // Beyond some hundred billion years no calendar date exists; nor for NaN.
    if (!(floored > -1e17 && floored < 1e17))
        return {};
    const auto seconds = static_cast<std::time_t>(floored);
    std::tm tm{};
    if (!localtime_r(&seconds, &tm))
        return {};
    const long offset = tm.tm_gmtoff / 60;
    const long absOffset = offset < 0 ? -offset : offset;
    return fmt::format("{:04d}-{:02d}-{:02d} {:02d}:{:02d}:{:02d} {}{:02d}{:02d}",
                       tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                       tm.tm_sec, offset < 0 ? '-' : '+', absOffset / 60, absOffset % 60);
}

std::string CsvValue::text() const {
    struct Visitor {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(bool b) const { return b ? "1" : "0"; }
        std::string operator()(std::int64_t i) const { return std::to_string(i); }
        std::string operator()(std::uint64_t u) const { return std::to_string(u); }
        std::string operator()(double d) const { return plainDecimal(d); }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(Date d) const { return formatCsvDate(d); }
        std::string operator()(const Array& a) const {
            std::string out;
            for (std::size_t i = 0; i < a.size(); ++i) {
                if (i)
                    out += ", ";
                out += a[i].text();
            }
            return out;
        }
    };
    return std::visit(Visitor{}, m_value);
}

} // namespace brivel::csv
