#pragma once

#include "core/platform/Date.h"

#include <memory>
#include <string>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class DateFormat;
class NumberFormat;
U_NAMESPACE_END

namespace brivel {

// Dates, numbers and amounts of money as plain text in the user's locale, each following its
// own locale category (userLocale), dates in the user's time zone. Made afresh by each user of
// it, so that a changed environment is followed.
class LocaleFormatter {
public:
    LocaleFormatter();
    ~LocaleFormatter();
    LocaleFormatter(const LocaleFormatter&) = delete;
    LocaleFormatter& operator=(const LocaleFormatter&) = delete;

    // Medium date and short time: "Mar 4, 2024, 9:30 AM".
    std::string dateTime(Date date) const;
    // Grouped, two fraction digits: "1,234.50".
    std::string number(double value) const;
    // The locale's currency style: "$1,234.50".
    std::string currency(double value) const;

private:
    std::unique_ptr<icu::DateFormat> m_dateTime;
    std::unique_ptr<icu::NumberFormat> m_number;
    std::unique_ptr<icu::NumberFormat> m_currency;
};

} // namespace brivel
