#pragma once

#include "core/stats/Breakdown.h"
#include "core/stats/Figures.h"
#include "core/stats/LocalCalendar.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brivel::stats {

// The cumulative net profit after one counted trade. The curve starts at 0 before the first.
struct EquityPoint {
    Date date; // the trade's close date
    double value = 0.0;
    store::ObjectID tradeId = 0;
};

// The counted trades closed on one day (in the user's time zone).
struct DailyResult {
    CivilDay day;
    double netProfit = 0.0;
    std::size_t trades = 0;
    std::vector<store::ObjectID> tradeIds;
};

// Shares still held in open trades of one ticker: bought less sold (negative: short).
struct OpenPosition {
    std::string ticker; // "" for trades without one
    long long shares = 0;
};

// Everything the statistics of one filter show.
struct StatisticsResult {
    Figures figures;
    std::size_t openTrades = 0;
    // By ticker, only tickers whose shares do not cancel out.
    std::vector<OpenPosition> openPositions;
    std::vector<EquityPoint> equity; // in equity order
    std::vector<DailyResult> daily;  // by day
    std::optional<BreakdownKind> breakdownKind;
    std::vector<BreakdownRow> breakdown; // in the rows' natural order
};

} // namespace brivel::stats
