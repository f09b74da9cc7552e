#include "core/import/ExecutionGrouper.h"

#include "core/csv/CsvValue.h"

#include <algorithm>
#include <cstdlib>

namespace brivel::import {

namespace {

PlannedOrder orderOf(const Execution& e, std::int32_t shares, std::optional<double> commission) {
    PlannedOrder o;
    o.date = e.date;
    o.isBuy = e.isBuy;
    o.numShares = shares;
    o.price = e.price;
    o.commission = commission;
    o.reason = e.description;
    o.line = e.line;
    return o;
}

class SymbolPosition {
public:
    SymbolPosition(std::vector<PlannedTrade>& out, std::string symbol)
        : m_symbol(std::move(symbol)), m_out(out) {}
    const std::string& symbol() const { return m_symbol; }

    void add(const Execution& e) {
        const std::int64_t signedShares = e.isBuy ? e.shares : -static_cast<std::int64_t>(e.shares);
        const std::int64_t after = m_position + signedShares;
        if (m_position != 0 && after != 0 && (after > 0) != (m_position > 0)) {
            // Through zero: close what is open, open the rest in a new trade.
            const auto closing = static_cast<std::int32_t>(std::llabs(m_position));
            const std::int32_t opening = e.shares - closing;
            std::optional<double> closingCommission, openingCommission;
            if (e.commission) {
                closingCommission = *e.commission * closing / e.shares;
                openingCommission = *e.commission - *closingCommission;
            }
            append(orderOf(e, closing, closingCommission));
            m_position = 0;
            append(orderOf(e, opening, openingCommission));
            m_position = after;
            return;
        }
        append(orderOf(e, e.shares, e.commission));
        m_position = after;
    }

private:
    void append(PlannedOrder order) {
        if (m_position == 0) {
            m_current = m_out.size();
            PlannedTrade t;
            t.ticker = m_symbol;
            m_out.push_back(std::move(t));
            // The symbol and the opening day: one position per trade.
            m_desc = m_symbol + " " + csv::formatCsvDate(*order.date).substr(0, 10);
        }
        order.desc = m_desc;
        m_out[m_current].orders.push_back(std::move(order));
    }

    std::string m_symbol;
    std::vector<PlannedTrade>& m_out;
    std::int64_t m_position = 0;
    std::size_t m_current = 0;
    std::string m_desc;
};

} // namespace

std::vector<PlannedTrade> ExecutionGrouper::group(std::vector<Execution> executions) {
    std::stable_sort(executions.begin(), executions.end(),
                     [](const Execution& a, const Execution& b) {
                         if (a.symbol != b.symbol)
                             return a.symbol < b.symbol;
                         return a.date < b.date;
                     });
    std::vector<PlannedTrade> trades;
    for (std::size_t i = 0; i < executions.size();) {
        SymbolPosition position(trades, executions[i].symbol);
        for (; i < executions.size() && executions[i].symbol == position.symbol(); ++i)
            position.add(executions[i]);
    }
    // Trades in the order they opened, across symbols.
    std::stable_sort(trades.begin(), trades.end(),
                     [](const PlannedTrade& a, const PlannedTrade& b) {
                         return *a.orders.front().date < *b.orders.front().date;
                     });
    return trades;
}

} // namespace brivel::import
