#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace brivel {

// The categories of the environment's locale settings a formatter follows.
enum class LocaleCategory {
    Time,     // dates: LC_TIME
    Numeric,  // numbers: LC_NUMERIC
    Monetary, // currency: LC_MONETARY
    Messages, // words and sorting: LC_MESSAGES
};

// The user's locale for a category and the user's time zone, read afresh from the environment on
// every call with POSIX precedence: LC_ALL, then the category's own variable, then LANG; and TZ.
// ICU caches its own defaults at the first use, which would make a later change of the
// environment (a test fixture, a long-running application) invisible; every formatter takes
// them from here instead.
icu::Locale userLocale(LocaleCategory category);
// The locale of messages.
icu::Locale userLocale();
std::unique_ptr<icu::TimeZone> userTimeZone();

// The locale named by a POSIX locale value such as "de_DE.UTF-8@euro"; "C" and "POSIX" are ICU's
// "en_US_POSIX".
icu::Locale localeFromPosixName(std::string_view posixName);

// UTF-8 <-> ICU strings.
icu::UnicodeString toUnicode(std::string_view utf8);
void appendUtf8(const icu::UnicodeString& text, std::string& out);
std::string toUtf8(const icu::UnicodeString& text);

} // namespace brivel
