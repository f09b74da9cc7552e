#pragma once

#include "core/platform/Date.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivel::stats {

// Which trades the statistics look at. A closed trade counts when its close date (the latest of
// its orders' dates) lies in [from, to], both ends included, and it passes the strategy and
// ticker filters. Open trades pass the strategy and ticker filters only.
struct StatsFilter {
    std::optional<Date> from;
    std::optional<Date> to;
    // The trade's strategy position ("tradeStrategy"); none: every strategy.
    std::optional<std::int16_t> strategy;
    // The reports' ticker pattern: the whole ticker, case and diacritics ignored, * and ? as
    // wildcards. Empty: every trade; otherwise a trade without a ticker never matches.
    std::string tickerPattern;

    bool inRange(Date closeDate) const {
        return (!from || *from <= closeDate) && (!to || closeDate <= *to);
    }
};

// The strategy a user names: a position ("0", "2") or a name of the list, matched exactly
// first and then ignoring case. None when it names no strategy.
std::optional<std::int16_t> strategyPosition(std::string_view text,
                                             const std::vector<std::optional<std::string>>& names);

} // namespace brivel::stats
