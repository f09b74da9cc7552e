#pragma once

#include "core/stats/LocalCalendar.h"
#include "core/stats/StatisticsResult.h"
#include "core/stats/StatsFilter.h"
#include "core/store/ObjectContext.h"

#include <optional>
#include <string>
#include <vector>

namespace brivel::stats {

// Works out the statistics of an account's trades for one filter.
//
// Counted trades: closed, with at least one dated order, close date (the latest order date) in
// the filter's range, strategy and ticker passing the filter. Their order ("equity order") is by
// close date, ties by trade identifier. Net profit is the trade's profit as the bookkeeping keeps
// it (commissions included); commissions are the sum of its orders' commissions.
class TradeStatistics {
public:
    // strategyNames: the preference list's names by position, for the strategy breakdown's keys.
    // calendar: the time zone of days, months and weekdays (the user's by default).
    explicit TradeStatistics(std::vector<std::optional<std::string>> strategyNames = {},
                             LocalCalendar calendar = LocalCalendar());

    StatisticsResult compute(const store::ObjectContext& context, const StatsFilter& filter,
                             std::optional<BreakdownKind> breakdown = std::nullopt) const;

    // The counted trades in equity order, and the open trades' figures, without the rest.
    std::vector<TradeSample> countedTrades(const store::ObjectContext& context,
                                           const StatsFilter& filter,
                                           StatisticsResult* openTradesInto = nullptr) const;

    const LocalCalendar& calendar() const { return m_calendar; }

private:
    std::vector<BreakdownRow> breakdownRows(const std::vector<TradeSample>& samples,
                                            BreakdownKind kind) const;
    std::vector<DailyResult> dailyResults(const std::vector<TradeSample>& samples) const;
    std::string keyText(BreakdownKind kind, long long order, const std::string& ticker) const;

    std::vector<std::optional<std::string>> m_strategyNames;
    LocalCalendar m_calendar;
};

} // namespace brivel::stats
