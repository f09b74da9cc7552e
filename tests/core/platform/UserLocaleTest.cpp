#include "core/platform/UserLocale.h"
#include "core/platform/LocaleFormatter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <map>

namespace brivel {
namespace {

TEST(UserLocale, PosixNamesAndTimeZoneSpellings) {
    EXPECT_STREQ(localeFromPosixName("de_DE.UTF-8@euro").getName(), "de_DE");
    EXPECT_STREQ(localeFromPosixName("fr_CA").getName(), "fr_CA");
    EXPECT_STREQ(localeFromPosixName("C").getName(), "en_US_POSIX");
    EXPECT_STREQ(localeFromPosixName("POSIX").getName(), "en_US_POSIX");
    EXPECT_STREQ(localeFromPosixName("C.UTF-8").getName(), "en_US_POSIX");

    auto idOf = [](const char* tz) {
        test::ScopedEnv zone("TZ", tz);
        icu::UnicodeString id;
        userTimeZone()->getID(id);
        return toUtf8(id);
    };
    EXPECT_EQ(idOf("Europe/Berlin"), "Europe/Berlin");
    EXPECT_EQ(idOf(":Europe/Paris"), "Europe/Paris");
    EXPECT_EQ(idOf(":/usr/share/zoneinfo/Asia/Tokyo"), "Asia/Tokyo");
}

// The locale variables of one case; "" is unset.
struct LocaleCase {
    const char *all, *time, *numeric, *monetary, *messages, *lang;
    // What each category reads.
    const char *timeLocale, *numericLocale, *monetaryLocale, *messagesLocale;
};

TEST(UserLocale, EachCategoryFollowsPosixPrecedence) {
    const LocaleCase cases[] = {
        // LC_ALL wins over everything.
        {"de_DE.UTF-8", "fr_FR", "fr_FR", "fr_FR", "fr_FR", "en_GB", "de_DE", "de_DE", "de_DE",
         "de_DE"},
        // Then each category's own variable.
        {"", "fr_FR", "de_CH", "ja_JP", "it_IT", "en_GB", "fr_FR", "de_CH", "ja_JP", "it_IT"},
        // LC_MESSAGES is no stand-in for the others: they fall back to LANG.
        {"", "", "", "", "it_IT", "en_GB.UTF-8", "en_GB", "en_GB", "en_GB", "it_IT"},
        {"", "", "", "", "", "pt_BR", "pt_BR", "pt_BR", "pt_BR", "pt_BR"},
    };
    for (const LocaleCase& c : cases) {
        test::ScopedEnv all("LC_ALL", c.all), time("LC_TIME", c.time),
            numeric("LC_NUMERIC", c.numeric), monetary("LC_MONETARY", c.monetary),
            messages("LC_MESSAGES", c.messages), lang("LANG", c.lang);
        SCOPED_TRACE(std::string("LC_ALL=") + c.all + " LC_TIME=" + c.time + " LANG=" + c.lang);
        EXPECT_STREQ(userLocale(LocaleCategory::Time).getName(), c.timeLocale);
        EXPECT_STREQ(userLocale(LocaleCategory::Numeric).getName(), c.numericLocale);
        EXPECT_STREQ(userLocale(LocaleCategory::Monetary).getName(), c.monetaryLocale);
        EXPECT_STREQ(userLocale(LocaleCategory::Messages).getName(), c.messagesLocale);
        EXPECT_STREQ(userLocale().getName(), c.messagesLocale);
    }
}

TEST(LocaleFormatter, DatesNumbersAndMoneyEachInTheirOwnLocale) {
    test::ScopedEnv all("LC_ALL", ""), lang("LANG", "en_US.UTF-8"), zone("TZ", "Asia/Tokyo");
    const Date utcNoon(1705320000); // 2024-01-15T12:00:00Z, 21:00 in Tokyo
    {
        const LocaleFormatter us;
        EXPECT_EQ(us.dateTime(utcNoon), "Jan 15, 2024, 9:00\u202fPM");
        EXPECT_EQ(us.number(1234.5), "1,234.50");
        EXPECT_EQ(us.currency(1234.5), "$1,234.50");
    }
    test::ScopedEnv time("LC_TIME", "de_DE.UTF-8"), numeric("LC_NUMERIC", "fr_CH"),
        money("LC_MONETARY", "en_GB");
    const LocaleFormatter mixed;
    EXPECT_EQ(mixed.dateTime(utcNoon), "15.01.2024, 21:00");
    EXPECT_NE(mixed.number(1234.5).find("234,50"), std::string::npos) << "a decimal comma";
    EXPECT_EQ(mixed.currency(1234.5), "\u00a31,234.50");
}

} // namespace
} // namespace brivel
