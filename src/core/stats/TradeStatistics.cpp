#include "core/stats/TradeStatistics.h"

#include "core/model/Order.h"
#include "core/model/Trade.h"

#include <algorithm>
#include <fmt/format.h>
#include <map>
#include <unordered_map>

namespace brivel::stats {

namespace {

// The reports' ticker pattern, with the answer kept per distinct ticker: an account has many
// trades but few tickers, and folding is the costly part.
class TickerMatcher {
public:
    explicit TickerMatcher(const std::string& pattern)
        : m_active(!pattern.empty()), m_pattern(m_active ? store::foldForLike(pattern) : u"") {}

    bool matches(const std::optional<std::string>& ticker) {
        if (!m_active)
            return true;
        if (!ticker)
            return false;
        auto it = m_known.find(*ticker);
        if (it == m_known.end())
            it = m_known.emplace(*ticker, store::likeMatch(store::foldForLike(*ticker), m_pattern))
                     .first;
        return it->second;
    }

private:
    bool m_active;
    std::u16string m_pattern;
    std::unordered_map<std::string, bool> m_known;
};

struct OrderSpan {
    std::optional<Date> first, last;
    double commissions = 0.0;
    long long shares = 0; // bought less sold
};

OrderSpan spanOf(const std::vector<store::ManagedObject*>& orders) {
    OrderSpan span;
    for (const auto* record : orders) {
        const auto* o = static_cast<const model::Order*>(record);
        span.commissions += o->commissionValue();
        const long long n = o->numSharesValue();
        span.shares += o->isBuyValue() ? n : -n;
        if (const auto d = o->date()) {
            if (!span.first || *d < *span.first)
                span.first = d;
            if (!span.last || *span.last < *d)
                span.last = d;
        }
    }
    return span;
}

bool equityOrder(const TradeSample& a, const TradeSample& b) {
    if (a.closeDate != b.closeDate)
        return a.closeDate < b.closeDate;
    return a.id < b.id;
}

} // namespace

TradeStatistics::TradeStatistics(std::vector<std::optional<std::string>> strategyNames,
                                 LocalCalendar calendar)
    : m_strategyNames(std::move(strategyNames)), m_calendar(std::move(calendar)) {}

std::vector<TradeSample> TradeStatistics::countedTrades(const store::ObjectContext& context,
                                                        const StatsFilter& filter,
                                                        StatisticsResult* openInto) const {
    TickerMatcher tickers(filter.tickerPattern);
    std::map<std::string, long long> openShares;
    std::vector<TradeSample> samples;
    const auto& trades = context.registeredObjects(model::Trade::entityName());
    samples.reserve(trades.size());
    // The orders are read in place: Trade::order() would copy every trade's list.
    const int ordersSlot =
        context.model().entity(model::Trade::entityName())->relationshipIndex("order");
    for (const auto* object : trades) {
        const auto* trade = static_cast<const model::Trade*>(object);
        if (filter.strategy && trade->tradeStrategyValue() != *filter.strategy)
            continue;
        auto ticker = trade->ticker();
        if (!tickers.matches(ticker))
            continue;
        const OrderSpan span = spanOf(trade->toMany(static_cast<std::size_t>(ordersSlot)));
        if (!trade->isClosedValue()) {
            // An open trade has no close date; it counts unless it began after the range.
            if (openInto && span.first && (!filter.to || *span.first <= *filter.to)) {
                ++openInto->openTrades;
                openShares[ticker.value_or(std::string())] += span.shares;
            }
            continue;
        }
        if (!span.last || !filter.inRange(*span.last))
            continue;
        samples.push_back({trade->objectID(), *span.first, *span.last, trade->profitValue(),
                           span.commissions, trade->tradeStrategyValue(),
                           std::move(ticker).value_or(std::string())});
    }
    // Trades are mostly entered in the order they close; then there is nothing to sort.
    if (!std::is_sorted(samples.begin(), samples.end(), equityOrder))
        std::sort(samples.begin(), samples.end(), equityOrder);
    if (openInto)
        for (auto& [ticker, shares] : openShares)
            if (shares != 0)
                openInto->openPositions.push_back({ticker, shares});
    return samples;
}

StatisticsResult TradeStatistics::compute(const store::ObjectContext& context,
                                          const StatsFilter& filter,
                                          std::optional<BreakdownKind> breakdown) const {
    StatisticsResult result;
    const std::vector<TradeSample> samples = countedTrades(context, filter, &result);
    result.figures = computeFigures(samples);
    result.equity.reserve(samples.size());
    double equity = 0.0;
    for (const auto& s : samples) {
        equity += s.netProfit;
        result.equity.push_back({s.closeDate, equity, s.id});
    }
    result.daily = dailyResults(samples);
    result.breakdownKind = breakdown;
    if (breakdown)
        result.breakdown = breakdownRows(samples, *breakdown);
    return result;
}

std::vector<DailyResult>
TradeStatistics::dailyResults(const std::vector<TradeSample>& samples) const {
    // Samples come by close date, so the days come in order and each day's trades together.
    std::vector<DailyResult> daily;
    for (const auto& s : samples) {
        const CivilDay day = m_calendar.dayOf(s.closeDate);
        if (daily.empty() || daily.back().day != day)
            daily.push_back({day, 0.0, 0, {}});
        auto& d = daily.back();
        d.netProfit += s.netProfit;
        ++d.trades;
        d.tradeIds.push_back(s.id);
    }
    return daily;
}

std::string TradeStatistics::keyText(BreakdownKind kind, long long order,
                                     const std::string& ticker) const {
    switch (kind) {
    case BreakdownKind::Ticker:
        return ticker;
    case BreakdownKind::Month:
        return fmt::format("{:04}-{:02}", order / 12, order % 12 + 1);
    case BreakdownKind::Weekday:
        return std::string(weekdayName(static_cast<int>(order)));
    case BreakdownKind::Strategy:
        break;
    }
    const auto p = static_cast<std::size_t>(order);
    if (order >= 0 && p < m_strategyNames.size() && m_strategyNames[p])
        return *m_strategyNames[p];
    return fmt::format("Strategy {}", order);
}

std::vector<BreakdownRow> TradeStatistics::breakdownRows(const std::vector<TradeSample>& samples,
                                                         BreakdownKind kind) const {
    // Groups found through hash maps (few groups, many samples), then put in their natural order
    // (tickers: by the ticker itself); the key's text is made once per row.
    struct Group {
        long long order = 0;
        std::string_view ticker;
        std::vector<std::size_t> positions;
    };
    std::vector<Group> groups;
    std::unordered_map<long long, std::size_t> byOrder;
    std::unordered_map<std::string_view, std::size_t> byTicker;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto& s = samples[i];
        long long order = 0;
        switch (kind) {
        case BreakdownKind::Strategy:
            order = s.strategy;
            break;
        case BreakdownKind::Ticker:
            break;
        case BreakdownKind::Month: {
            const CivilDay d = m_calendar.dayOf(s.closeDate);
            order = static_cast<long long>(d.year) * 12 + d.month - 1;
            break;
        }
        case BreakdownKind::Weekday:
            order = m_calendar.weekdayOf(s.closeDate);
            break;
        }
        const bool byText = kind == BreakdownKind::Ticker;
        const std::size_t next = groups.size();
        const std::size_t g = byText ? byTicker.try_emplace(s.ticker, next).first->second
                                     : byOrder.try_emplace(order, next).first->second;
        if (g == next)
            groups.push_back({order, byText ? std::string_view(s.ticker) : "", {}});
        groups[g].positions.push_back(i);
    }
    std::sort(groups.begin(), groups.end(), [](const Group& a, const Group& b) {
        return a.order != b.order ? a.order < b.order : a.ticker < b.ticker;
    });
    std::vector<BreakdownRow> rows;
    rows.reserve(groups.size());
    for (const auto& group : groups) {
        BreakdownRow row{keyText(kind, group.order, std::string(group.ticker)),
                         group.order,
                         computeFigures(samples, group.positions),
                         {}};
        row.tradeIds.reserve(group.positions.size());
        for (std::size_t p : group.positions)
            row.tradeIds.push_back(samples[p].id);
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace brivel::stats
