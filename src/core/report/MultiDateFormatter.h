#pragma once

#include "core/platform/Date.h"
#include "core/platform/Error.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class DateFormat;
U_NAMESPACE_END

namespace brivel::report {

// The formatter of date entry fields: shows a date in the medium style (no time of day) and reads
// what the user types in the short, medium or long style, in that order, leniently. A read date
// is local midnight of that day. Locale and time zone are the user's, as the environment gives
// them when the formatter is made (display) and when the text is read (parsing).
class MultiDateFormatter {
public:
    // A part of a text in UTF-8 bytes.
    struct Range {
        std::size_t location = 0;
        std::size_t length = 0;
    };

    MultiDateFormatter();
    ~MultiDateFormatter();
    MultiDateFormatter(const MultiDateFormatter&) = delete;
    MultiDateFormatter& operator=(const MultiDateFormatter&) = delete;

    // The date in the medium style without time ("Jan 15, 2024").
    std::string stringFromDate(Date date) const;

    // Reads typed text. Without a range the whole text must be a date (surrounding white space
    // aside); with one, the date is read from the start of that part of the text, and on success
    // the range is narrowed to what was read. On failure false, the date and range untouched, and
    // error (when given) says what the last (long style) attempt found.
    bool getObjectValue(Date* date, std::string_view string, Range* range, Error* error) const;

    // The same without range and error.
    std::optional<Date> dateFromString(std::string_view string) const;

private:
    std::unique_ptr<icu::DateFormat> m_display;
};

} // namespace brivel::report
