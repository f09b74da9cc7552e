#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <unicode/uversion.h>

U_NAMESPACE_BEGIN
class NumberFormat;
U_NAMESPACE_END

namespace brivel::import {

// Reads the numbers of import files: the trade export's currency texts, in the user's locale,
// and the plain numbers of broker files.
class AmountParser {
public:
    AmountParser();
    ~AmountParser();
    AmountParser(const AmountParser&) = delete;
    AmountParser& operator=(const AmountParser&) = delete;

    // A currency text as the trade export writes it ("$1,234.50", "-$5.00" in en_US), read with
    // the same ICU currency format; a plain number is taken as well. Nothing unless the whole
    // text is understood.
    std::optional<double> currency(std::string_view text) const;

    // A plain number: "1234.5", "1,234.50", "$12.00", "-3", "(3.00)" (negative). Grouping commas
    // and a leading dollar sign are ignored. Nothing unless the whole text is a finite number.
    static std::optional<double> plain(std::string_view text);

    // A whole number: "100", "-100", "1,000", "100.0". Nothing for fractions or text.
    static std::optional<long long> wholeNumber(std::string_view text);

private:
    std::unique_ptr<icu::NumberFormat> m_currency;
};

} // namespace brivel::import
