#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unicode/locid.h>
#include <unicode/timezone.h>
#include <unicode/unistr.h>

namespace brivel {

// The user's locale and time zone, read afresh from the environment on every call: LC_ALL, then
// LC_MESSAGES, then LANG (the order ICU itself uses), and TZ. ICU caches its own defaults at the
// first use, which would make a later change of the environment (a test fixture, a long-running
// application) invisible; every formatter of the reports takes them from here instead.
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
