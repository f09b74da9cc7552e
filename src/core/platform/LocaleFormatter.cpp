#include "core/platform/LocaleFormatter.h"

#include "core/platform/UserLocale.h"

#include <fmt/format.h>
#include <unicode/datefmt.h>
#include <unicode/numfmt.h>

namespace brivel {

namespace {

std::unique_ptr<icu::NumberFormat> checked(icu::NumberFormat* format, UErrorCode status) {
    std::unique_ptr<icu::NumberFormat> owned(format);
    return U_FAILURE(status) ? nullptr : std::move(owned);
}

std::string formatted(const icu::NumberFormat& format, double value) {
    icu::UnicodeString out;
    format.format(value, out);
    return toUtf8(out);
}

} // namespace

LocaleFormatter::LocaleFormatter() {
    m_dateTime.reset(icu::DateFormat::createDateTimeInstance(
        icu::DateFormat::kMedium, icu::DateFormat::kShort, userLocale(LocaleCategory::Time)));
    if (m_dateTime)
        m_dateTime->adoptTimeZone(userTimeZone().release());
    UErrorCode status = U_ZERO_ERROR;
    m_number = checked(
        icu::NumberFormat::createInstance(userLocale(LocaleCategory::Numeric), status), status);
    if (m_number) {
        m_number->setMinimumFractionDigits(2);
        m_number->setMaximumFractionDigits(2);
    }
    status = U_ZERO_ERROR;
    m_currency = checked(
        icu::NumberFormat::createCurrencyInstance(userLocale(LocaleCategory::Monetary), status),
        status);
}

LocaleFormatter::~LocaleFormatter() = default;

std::string LocaleFormatter::dateTime(Date date) const {
    if (!m_dateTime)
        return fmt::format("{}", date.secondsSince1970);
    icu::UnicodeString out;
    m_dateTime->format(date.secondsSince1970 * 1000.0, out);
    return toUtf8(out);
}

std::string LocaleFormatter::number(double value) const {
    return m_number ? formatted(*m_number, value) : fmt::format("{:.2f}", value);
}

std::string LocaleFormatter::currency(double value) const {
    return m_currency ? formatted(*m_currency, value) : fmt::format("{:.2f}", value);
}

} // namespace brivel
