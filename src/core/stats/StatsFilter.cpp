#include "core/stats/StatsFilter.h"

#include "core/platform/UserLocale.h"

#include <charconv>
#include <limits>
#include <unicode/uchar.h>

namespace brivel::stats {

std::optional<std::int16_t> strategyPosition(std::string_view text,
                                             const std::vector<std::optional<std::string>>& names) {
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] && *names[i] == text)
            return static_cast<std::int16_t>(i);
    int position = -1;
    const auto* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, position);
    if (ec == std::errc() && ptr == end && !text.empty())
        return position >= 0 && position <= std::numeric_limits<std::int16_t>::max()
                   ? std::optional<std::int16_t>(static_cast<std::int16_t>(position))
                   : std::nullopt;
    const icu::UnicodeString wanted = toUnicode(text);
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] && toUnicode(*names[i]).caseCompare(wanted, U_FOLD_CASE_DEFAULT) == 0)
            return static_cast<std::int16_t>(i);
    return std::nullopt;
}

} // namespace brivel::stats
