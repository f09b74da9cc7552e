#pragma once

#include "core/stats/Figures.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivel::stats {

enum class BreakdownKind { Strategy, Ticker, Month, Weekday };

// "strategy", "ticker", "month", "weekday".
std::string_view breakdownKindName(BreakdownKind kind);
std::optional<BreakdownKind> breakdownKindFromName(std::string_view name);

// One row of a breakdown: the figures of the counted trades that share a key.
struct BreakdownRow {
    // Strategy: its name (or "Strategy N" for a position the list does not name); ticker: the
    // ticker as stored ("" for none); month: "YYYY-MM"; weekday: "Monday" ... "Sunday".
    std::string key;
    // The rows' natural order: strategy position, month as year*12+month-1, weekday 1..7; 0 for
    // tickers, which sort by key.
    long long order = 0;
    Figures figures;
    // The row's trades, in equity order.
    std::vector<store::ObjectID> tradeIds;
};

// "Monday" ... "Sunday" for 1..7.
std::string_view weekdayName(int weekday);

} // namespace brivel::stats
