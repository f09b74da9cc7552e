#include "core/report/MultiDateFormatter.h"

#include "core/platform/UserLocale.h"

#include <memory>
#include <unicode/datefmt.h>
#include <unicode/uchar.h>

namespace brivel::report {

namespace {

constexpr const char* FormattingDomain = "BrivelFormattingErrorDomain";
constexpr int FormattingError = 2048; // the platform's code for a value a formatter refuses

bool onlyWhiteSpaceFrom(const icu::UnicodeString& text, int32_t index) {
    for (int32_t i = index; i < text.length();) {
        UChar32 c = text.char32At(i);
        if (!u_isUWhiteSpace(c))
            return false;
        i += U16_LENGTH(c);
    }
    return true;
}

} // namespace

MultiDateFormatter::MultiDateFormatter()
    : m_display(icu::DateFormat::createDateInstance(icu::DateFormat::kMedium,
                                                    userLocale(LocaleCategory::Time))) {
    if (m_display)
        m_display->adoptTimeZone(userTimeZone().release());
}

MultiDateFormatter::~MultiDateFormatter() = default;

std::string MultiDateFormatter::stringFromDate(Date date) const {
    if (!m_display)
        return {};
    icu::UnicodeString text;
    m_display->format(date.secondsSince1970 * 1000.0, text);
    return toUtf8(text);
}

bool MultiDateFormatter::getObjectValue(Date* date, std::string_view string, Range* range,
                                        Error* error) const {
    std::string_view part = string;
    if (range) {
        if (range->location > string.size())
            return false;
        part = string.substr(range->location, range->length);
    }
    const icu::UnicodeString text = toUnicode(part);

    // Fresh formatters for the attempts, whatever this one shows with.
    const icu::Locale locale = userLocale(LocaleCategory::Time);
    const std::unique_ptr<icu::TimeZone> zone = userTimeZone();
    for (auto style : {icu::DateFormat::kShort, icu::DateFormat::kMedium, icu::DateFormat::kLong}) {
        std::unique_ptr<icu::DateFormat> attempt(
            icu::DateFormat::createDateInstance(style, locale));
        if (!attempt)
            continue;
        attempt->setTimeZone(*zone);
        // Lenient about the text (spacing, punctuation, abbreviated or full month names), strict
        // about the values: month 13 or the 45th of a month is refused, not rolled over into
        // another date.
        attempt->setLenient(true);
        attempt->setCalendarLenient(false);
        icu::ParsePosition position(0);
        const UDate parsed = attempt->parse(text, position);
        if (position.getIndex() == 0 || position.getErrorIndex() >= 0)
            continue;
        if (!range && !onlyWhiteSpaceFrom(text, position.getIndex()))
            continue;
        if (date)
            *date = Date(parsed / 1000.0);
        if (range)
            range->length = toUtf8(text.tempSubString(0, position.getIndex())).size();
        return true;
    }
    if (error) {
        error->domain = FormattingDomain;
        error->code = FormattingError;
        error->localizedDescription =
            "The value \xE2\x80\x9C" + std::string(part) + "\xE2\x80\x9D is invalid.";
    }
    return false;
}

std::optional<Date> MultiDateFormatter::dateFromString(std::string_view string) const {
    Date date;
    if (!getObjectValue(&date, string, nullptr, nullptr))
        return std::nullopt;
    return date;
}

} // namespace brivel::report
