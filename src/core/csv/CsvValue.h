#pragma once

#include "core/platform/Date.h"

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace brivel::csv {

// One value handed to the writer: absent, a Boolean, a number, a text or a date; or, in a lines
// array, a line (an array of values). The writer writes a value's text form.
//
// A lines array of a single line needs the line wrapped by name,
// std::vector<CsvValue>{CsvValue(CsvValue::Array{...})}: braces around a lone Array would copy
// the array itself, its fields becoming the lines.
class CsvValue {
public:
    using Array = std::vector<CsvValue>;

    CsvValue() = default;
    CsvValue(std::nullptr_t) {}
    CsvValue(bool b) : m_value(b) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) CsvValue(T i) {
        if constexpr (std::is_unsigned_v<T>) {
            if (static_cast<std::uint64_t>(i) > static_cast<std::uint64_t>(INT64_MAX)) {
                m_value = static_cast<std::uint64_t>(i);
                return;
            }
        }
        m_value = static_cast<std::int64_t>(i);
    }
    CsvValue(double d) : m_value(d) {}
    CsvValue(float f) : m_value(static_cast<double>(f)) {}
    CsvValue(std::string s) : m_value(std::move(s)) {}
    CsvValue(std::string_view s) : m_value(std::string(s)) {}
    CsvValue(const char* s) : m_value(std::string(s)) {}
    CsvValue(Date d) : m_value(d) {}
    CsvValue(Array a) : m_value(std::move(a)) {}

    bool isNull() const { return std::holds_alternative<std::monostate>(m_value); }
    bool isArray() const { return std::holds_alternative<Array>(m_value); }
    const Array& array() const { return std::get<Array>(m_value); }
    const std::string* string() const { return std::get_if<std::string>(&m_value); }

    // The field text: strings as they stand, integers in plain decimal, other numbers in the
    // shortest plain decimal that reads back to the same value (no exponent), Booleans as 1 and
    // 0, dates as "YYYY-MM-DD HH:MM:SS +HHMM" in the local time zone, absent as the empty text,
    // a nested array as its elements' text forms joined by ", ".
    std::string text() const;

    bool operator==(const CsvValue&) const = default;

private:
    std::variant<std::monostate, bool, std::int64_t, std::uint64_t, double, std::string, Date,
                 Array>
        m_value;
};

// "YYYY-MM-DD HH:MM:SS +HHMM" in the local time zone (TZ), seconds truncated.
std::string formatCsvDate(Date date);

} // namespace brivel::csv
