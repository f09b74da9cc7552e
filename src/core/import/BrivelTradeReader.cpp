#include "core/import/BrivelTradeReader.h"

#include <cctype>
#include <fmt/format.h>
#include <limits>

namespace brivel::import {

namespace {

enum Column {
    Number,
    OrderDate,
    Ticker,
    Description,
    Side,
    Quantity,
    Price,
    Commission,
    Reason,
    Strategy
};

std::optional<std::string> textOrNothing(const std::string& field) {
    if (field.empty())
        return std::nullopt;
    return field;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

const std::array<std::string_view, 10>& BrivelTradeReader::header() {
    static const std::array<std::string_view, 10> names = {
        "Trade #",  "Order Date", "Ticker",     "Description", "Buy/Sell",
        "Quantity", "Price",      "Commission", "Reason",      "Strategy"};
    return names;
}

bool BrivelTradeReader::isHeader(const std::vector<std::string>& fields) {
    if (fields.size() != header().size())
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i] != header()[i])
            return false;
    return true;
}

bool BrivelTradeReader::readOrder(std::uint64_t line, const std::vector<std::string>& f,
                                  ImportPlan& plan, PlannedOrder& order, long long& number) {
    auto bad = [&](Column c, std::string message) {
        plan.addBadLine({line, std::string(header()[c]), f[c], std::move(message)});
        return false;
    };
    auto n = AmountParser::wholeNumber(f[Number]);
    if (!n || *n < 1)
        return bad(Number, "not a trade number");
    number = *n;
    if (!f[OrderDate].empty()) {
        order.date = m_dates.parse(f[OrderDate]);
        if (!order.date)
            return bad(OrderDate, "not a date");
    }
    order.desc = textOrNothing(f[Description]);
    if (equalsIgnoringCase(f[Side], "Buy"))
        order.isBuy = true;
    else if (equalsIgnoringCase(f[Side], "Sell"))
        order.isBuy = false;
    else
        return bad(Side, "neither Buy nor Sell");
    if (!f[Quantity].empty()) {
        auto shares = AmountParser::wholeNumber(f[Quantity]);
        if (!shares || *shares < std::numeric_limits<std::int32_t>::min() ||
            *shares > std::numeric_limits<std::int32_t>::max())
            return bad(Quantity, "not a whole number of shares");
        order.numShares = static_cast<std::int32_t>(*shares);
    }
    if (!f[Price].empty()) {
        order.price = m_amounts.currency(f[Price]);
        if (!order.price)
            return bad(Price, "not a price");
    }
    if (!f[Commission].empty()) {
        order.commission = m_amounts.currency(f[Commission]);
        if (!order.commission)
            return bad(Commission, "not an amount");
    }
    order.reason = textOrNothing(f[Reason]);
    return true;
}

void BrivelTradeReader::row(std::uint64_t line, const std::vector<std::string>& fields,
                            ImportPlan& plan) {
    // The last field is lost when the file's final line has no line end and an empty strategy.
    if (fields.size() != 10 && fields.size() != 9) {
        plan.addBadLine({line, "", fmt::format("{} fields", fields.size()),
                         "a trade export line has 10 fields"});
        return;
    }
    std::vector<std::string> f = fields;
    f.resize(10);
    PlannedOrder order;
    order.line = line;
    long long number = 0;
    if (!readOrder(line, f, plan, order, number))
        return;
    auto ticker = textOrNothing(f[Ticker]);
    auto strategy = textOrNothing(f[Strategy]);
    auto [it, isNew] = m_byNumber.emplace(number, m_trades.size());
    if (isNew) {
        m_trades.push_back({ticker, strategy, {}});
    } else {
        const PlannedTrade& trade = m_trades[it->second];
        if (trade.ticker != ticker) {
            plan.addBadLine({line, "Ticker", f[Ticker],
                             fmt::format("trade {} has the ticker \"{}\" on an earlier line",
                                         number, trade.ticker.value_or(""))});
            return;
        }
        if (trade.strategy != strategy) {
            plan.addBadLine({line, "Strategy", f[Strategy],
                             fmt::format("trade {} has the strategy \"{}\" on an earlier line",
                                         number, trade.strategy.value_or(""))});
            return;
        }
    }
    m_trades[it->second].orders.push_back(std::move(order));
}

bool BrivelTradeReader::isDuplicate(const PlannedTrade& trade) {
    if (!m_duplicates || !trade.ticker)
        return false;
    std::vector<DuplicateIndex::Execution> executions;
    for (const auto& o : trade.orders) {
        if (!o.date || !o.numShares || !o.price)
            return false;
        executions.push_back({*trade.ticker, o.isBuy, *o.price, *o.date, *o.numShares});
    }
    return m_duplicates->takeAll(executions);
}

void BrivelTradeReader::finish(ImportPlan& plan) {
    for (auto& trade : m_trades) {
        if (isDuplicate(trade)) {
            plan.duplicatesSkipped += trade.orders.size();
            continue;
        }
        plan.trades.push_back(std::move(trade));
    }
    m_trades.clear();
    m_byNumber.clear();
}

} // namespace brivel::import
