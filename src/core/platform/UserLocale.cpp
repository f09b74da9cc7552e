#include "core/platform/UserLocale.h"

#include <cstdlib>
#include <unicode/bytestream.h>
#include <unicode/ucal.h>

namespace brivel {

namespace {

const char* nonEmptyEnv(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : nullptr;
}

} // namespace

icu::Locale localeFromPosixName(std::string_view posixName) {
    // Drop the codeset and the modifier: ICU wants "de_DE", not "de_DE.UTF-8@euro".
    std::string_view base = posixName.substr(0, posixName.find_first_of(".@"));
    if (base.empty() || base == "C" || base == "POSIX")
        return icu::Locale("en_US_POSIX");
    icu::Locale locale(std::string(base).c_str());
    if (locale.isBogus())
        return icu::Locale::getRoot();
    return locale;
}

icu::Locale userLocale(LocaleCategory category) {
    const char* own = "LC_MESSAGES";
    switch (category) {
    case LocaleCategory::Time:
        own = "LC_TIME";
        break;
    case LocaleCategory::Numeric:
        own = "LC_NUMERIC";
        break;
    case LocaleCategory::Monetary:
        own = "LC_MONETARY";
        break;
    case LocaleCategory::Messages:
        break;
    }
    for (const char* name : {"LC_ALL", own, "LANG"})
        if (const char* value = nonEmptyEnv(name))
            return localeFromPosixName(value);
    return icu::Locale::getDefault();
}

icu::Locale userLocale() {
    return userLocale(LocaleCategory::Messages);
}

std::unique_ptr<icu::TimeZone> userTimeZone() {
    if (const char* tz = nonEmptyEnv("TZ")) {
        std::string_view id(tz);
        if (id.front() == ':')
            id.remove_prefix(1);
        // TZ may name the zone file itself: ":/usr/share/zoneinfo/Europe/Berlin".
        if (auto at = id.find("zoneinfo/"); at != std::string_view::npos)
            id.remove_prefix(at + 9);
        std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone(toUnicode(id)));
        icu::UnicodeString found;
        if (zone && zone->getID(found) != icu::UnicodeString(UCAL_UNKNOWN_ZONE_ID))
            return zone;
    }
    // No TZ, or one ICU does not know by name (a POSIX rule such as "EST5EDT,M3.2.0,M11.1.0"):
    // let ICU work it out from the host, uncached.
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::detectHostTimeZone());
}

icu::UnicodeString toUnicode(std::string_view utf8) {
    return icu::UnicodeString::fromUTF8(
        icu::StringPiece(utf8.data(), static_cast<int32_t>(utf8.size())));
}

void appendUtf8(const icu::UnicodeString& text, std::string& out) {
    icu::StringByteSink<std::string> sink(&out);
    text.toUTF8(sink);
}

std::string toUtf8(const icu::UnicodeString& text) {
    std::string out;
    appendUtf8(text, out);
    return out;
}

} // namespace brivel
