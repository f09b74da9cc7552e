#include "core/import/ExecutionReader.h"

#include "core/import/AmountParser.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

namespace brivel::import {

namespace {

const std::string& fieldAt(const std::vector<std::string>& fields, std::size_t column) {
    static const std::string empty;
    return column < fields.size() ? fields[column] : empty;
}

std::optional<bool> sideOf(std::string_view text) {
    std::string s(text);
    for (auto& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (s == "buy" || s == "b" || s == "bot")
        return true;
    if (s == "sell" || s == "s" || s == "sld")
        return false;
    return std::nullopt;
}

} // namespace

bool ExecutionReader::read(std::uint64_t line, const std::vector<std::string>& fields,
                           ImportPlan& plan, Execution& e) {
    using F = ColumnMatcher;
    auto column = [&](F::Field f) { return m_columns.columns(f).front(); };
    auto text = [&](F::Field f) -> const std::string& { return fieldAt(fields, column(f)); };
    auto bad = [&](F::Field f, std::string message) {
        const std::size_t c = column(f);
        plan.addBadLine({line, c < m_header.size() ? m_header[c] : F::fieldNames()[f],
                         fieldAt(fields, c), std::move(message)});
        return false;
    };

    e.line = line;
    e.symbol = text(F::Symbol);
    if (e.symbol.empty())
        return bad(F::Symbol, "no symbol");
    const bool hasTime = !m_columns.columns(F::Time).empty();
    auto date = m_dates.parse(text(F::Date), hasTime ? std::string_view(text(F::Time)) : "");
    if (!date)
        return bad(hasTime && !text(F::Time).empty() && m_dates.parse(text(F::Date)) ? F::Time
                                                                                     : F::Date,
                   "not a date (use YYYY-MM-DD, MM/DD/YYYY or YYYYMMDD, optionally with "
                   "HH:MM[:SS])");
    e.date = *date;

    auto quantity = AmountParser::wholeNumber(text(F::Quantity));
    if (!quantity || *quantity == 0)
        return bad(F::Quantity, "not a whole number of shares other than 0");
    if (std::llabs(*quantity) > std::numeric_limits<std::int32_t>::max())
        return bad(F::Quantity, "more shares than an order can hold (2147483647)");
    e.shares = static_cast<std::int32_t>(std::llabs(*quantity));
    if (!m_columns.columns(F::Side).empty()) {
        auto side = sideOf(text(F::Side));
        if (!side)
            return bad(F::Side, "not a side (buy, b, bot, sell, s or sld)");
        e.isBuy = *side;
    } else {
        e.isBuy = *quantity > 0; // without a side, a negative quantity is a sale
    }

    auto price = AmountParser::plain(text(F::Price));
    if (!price || *price < 0)
        return bad(F::Price, "not a price");
    e.price = *price;

    for (std::size_t c : m_columns.columns(F::Commission)) {
        const std::string& value = fieldAt(fields, c);
        if (value.empty())
            continue;
        auto amount = AmountParser::plain(value);
        if (!amount) {
            plan.addBadLine({line, m_header[c], value, "not an amount"});
            return false;
        }
        // Brokers write costs with either sign; a commission is what was paid.
        e.commission = e.commission.value_or(0.0) + std::fabs(*amount);
    }
    if (!m_columns.columns(F::Description).empty() && !text(F::Description).empty())
        e.description = text(F::Description);
    return true;
}

void ExecutionReader::row(std::uint64_t line, const std::vector<std::string>& fields,
                          ImportPlan& plan) {
    Execution e;
    if (!read(line, fields, plan, e))
        return;
    if (m_duplicates && m_duplicates->take({e.symbol, e.isBuy, e.price, e.date, e.shares})) {
        ++plan.duplicatesSkipped;
        return;
    }
    m_executions.push_back(std::move(e));
}

void ExecutionReader::finish(ImportPlan& plan) {
    auto trades = ExecutionGrouper::group(std::move(m_executions));
    m_executions = {};
    plan.trades.insert(plan.trades.end(), std::make_move_iterator(trades.begin()),
                       std::make_move_iterator(trades.end()));
}

} // namespace brivel::import
