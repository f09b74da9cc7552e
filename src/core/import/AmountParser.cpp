#include "core/import/AmountParser.h"

#include "core/platform/UserLocale.h"

#include <charconv>
#include <cmath>
#include <string>
#include <unicode/numfmt.h>
#include <unicode/parsepos.h>

namespace brivel::import {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

} // namespace

AmountParser::AmountParser() {
    UErrorCode status = U_ZERO_ERROR;
    m_currency.reset(icu::NumberFormat::createCurrencyInstance(userLocale(), status));
    if (U_FAILURE(status))
        m_currency.reset();
}

AmountParser::~AmountParser() = default;

std::optional<double> AmountParser::currency(std::string_view text) const {
    text = trimmed(text);
    if (text.empty())
        return std::nullopt;
    if (m_currency) {
        icu::UnicodeString u = toUnicode(text);
        icu::Formattable value;
        icu::ParsePosition pos(0);
        m_currency->parse(u, value, pos);
        UErrorCode status = U_ZERO_ERROR;
        const double d = value.getDouble(status);
        if (pos.getErrorIndex() < 0 && pos.getIndex() == u.length() && U_SUCCESS(status) &&
            std::isfinite(d))
            return d;
    }
    return plain(text);
}

std::optional<double> AmountParser::plain(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (text.size() >= 2 && text.front() == '(' && text.back() == ')') {
        negative = true;
        text = trimmed(text.substr(1, text.size() - 2));
    }
    std::string clean;
    clean.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ',' && i > 0)
            continue; // grouping
        if (c == '$' && clean.find_first_of("0123456789.") == std::string::npos)
            continue; // a leading dollar sign, after an optional minus
        if (c == '+' && clean.empty())
            continue;
        clean.push_back(c);
    }
    if (clean.empty())
        return std::nullopt;
    double v = 0.0;
    const char* end = clean.data() + clean.size();
    auto [ptr, ec] = std::from_chars(clean.data(), end, v, std::chars_format::fixed);
    if (ec != std::errc() || ptr != end || !std::isfinite(v))
        return std::nullopt;
    return negative ? -v : v;
}

std::optional<long long> AmountParser::wholeNumber(std::string_view text) {
    auto v = plain(text);
    if (!v || std::trunc(*v) != *v || std::fabs(*v) > 9.0e15)
        return std::nullopt;
    return static_cast<long long>(*v);
}

} // namespace brivel::import
