// The two trade layouts of ReportFormatter: the summary of each trade (TradesReport) and the
// summary followed by the notes around the trade and its two chart images (TradeDetailsReport).

#include "core/model/ChartImageFiles.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/report/NotesIndex.h"
#include "core/report/ReportFormatter.h"

#include <algorithm>

namespace brivel::report {

namespace {

constexpr double OneDay = 86400.0;

struct SortedOrder {
    std::optional<Date> date;
    const model::Order* order;
};

std::vector<SortedOrder> ordersByDate(const model::Trade& trade) {
    std::vector<SortedOrder> orders;
    for (auto* order : trade.order())
        orders.push_back({order->date(), order});
    // Absent dates first and equal dates in the store's order, as a fetch sorted by date would.
    std::sort(orders.begin(), orders.end(), [](const SortedOrder& a, const SortedOrder& b) {
        if (a.date.has_value() != b.date.has_value())
            return !a.date.has_value();
        if (a.date && *a.date != *b.date)
            return *a.date < *b.date;
        return a.order->objectID() < b.order->objectID();
    });
    return orders;
}

TextStyle profitStyle(double profit) {
    // Compared in single precision: a profit too small to show a cent gets no colour.
    const float p = static_cast<float>(profit);
    if (p > 0)
        return TextStyle::GainProfit;
    if (p < 0)
        return TextStyle::LossProfit;
    return TextStyle::HeaderKey;
}

} // namespace

void ReportFormatter::appendTrades(const std::vector<store::ManagedObject*>& records, bool details,
                                   const store::ObjectContext& context, StyledText& out) {
    std::vector<const model::Trade*> trades;
    trades.reserve(records.size());
    for (auto* object : records)
        if (object && object->entityName() == model::Trade::entityName())
            trades.push_back(static_cast<const model::Trade*>(object));
    if (trades.empty())
        return;

    const StrategyList strategies = m_strategies ? m_strategies() : StrategyList{};
    // One index for the whole report instead of one scan of all notes per trade; built here and
    // dropped at the end, so the next report sees the notes as they are then.
    std::optional<NotesIndex> notes;
    if (details)
        notes.emplace(context);
    out.reserve(trades.size() * (details ? 400 : 250), trades.size() * (details ? 24 : 16));

    for (const model::Trade* trade : trades) {
        std::optional<Date> first, last;
        appendTradeSummary(*trade, strategies, first, last, out);
        if (details)
            appendTradeDetails(*trade, first, last, *notes, context, out);
        else
            out.append("\n", TextStyle::Date);
    }
}

void ReportFormatter::appendTradeSummary(const model::Trade& trade, const StrategyList& strategies,
                                         std::optional<Date>& firstOrderDate,
                                         std::optional<Date>& lastOrderDate, StyledText& out) {
    const auto orders = ordersByDate(trade);
    if (orders.empty()) {
        // A trade gets its first order only after it is made: show its own date on the date line
        // and take it as the entry for the notes.
        firstOrderDate = lastOrderDate = trade.date();
    } else {
        firstOrderDate = orders.front().date;
        lastOrderDate = orders.back().date;
    }

    auto ticker = trade.ticker();
    m_scratch.assign(ticker ? std::string_view(*ticker) : MissingTicker);
    m_scratch += '\n';
    out.append(m_scratch, TextStyle::Date);

    const double profit = trade.profitValue();
    m_scratch.assign("Net Profit: $");
    appendNumber(m_decimal.get(), profit, m_scratch);
    m_scratch += '\n';
    out.append(m_scratch, profitStyle(profit));

    m_scratch.clear();
    auto appendOrderDate = [&](const std::optional<Date>& date) {
        if (date)
            appendDate(*m_dateOnly, *date, m_scratch);
        else
            m_scratch += MissingDate;
    };
    appendOrderDate(firstOrderDate);
    m_scratch += " - ";
    appendOrderDate(lastOrderDate);
    m_scratch += '\n';
    out.append(m_scratch, TextStyle::HeaderValue);

    out.append("Strategy: ", TextStyle::BoldNote);
    const std::int16_t position = trade.tradeStrategyValue();
    m_scratch.clear();
    if (position >= 0 && static_cast<std::size_t>(position) < strategies.size() &&
        strategies[static_cast<std::size_t>(position)])
        m_scratch += *strategies[static_cast<std::size_t>(position)];
    else
        m_scratch += MissingStrategy;
    m_scratch += '\n';
    out.append(m_scratch, TextStyle::Note);

    out.append("Orders: \n", TextStyle::BoldNote);
    // Summed in double: single precision loses cents once the total runs into the hundreds of
    // thousands.
    double commissions = 0;
    for (const auto& entry : orders) {
        const model::Order& order = *entry.order;
        m_scratch.assign(order.isBuyValue() ? "Bought " : "Sold ");
        m_scratch += std::to_string(order.numSharesValue());
        m_scratch += ' ';
        auto desc = order.desc();
        m_scratch += desc ? std::string_view(*desc) : MissingDescription;
        m_scratch += " @ $";
        appendNumber(m_decimal.get(), order.priceValue(), m_scratch);
        m_scratch += '\n';
        out.append(m_scratch, TextStyle::Note);
        commissions += order.commissionValue();
    }

    out.append("Commissions:", TextStyle::BoldNote);
    m_scratch.assign(" $");
    appendNumber(m_decimal.get(), commissions, m_scratch);
    m_scratch += '\n';
    out.append(m_scratch, TextStyle::Note);
}

void ReportFormatter::appendTradeDetails(const model::Trade& trade,
                                         std::optional<Date> firstOrderDate,
                                         std::optional<Date> lastOrderDate, const NotesIndex& notes,
                                         const store::ObjectContext& context, StyledText& out) {
    // The window: a day before the trade's date to a day after its last order, or after now
    // while it is open. A trade without a date falls back on its first order's date.
    std::vector<model::Note*> found;
    std::optional<Date> begin = trade.date();
    if (!begin)
        begin = firstOrderDate;
    if (begin) {
        Date end = trade.isClosedValue() && lastOrderDate ? *lastOrderDate : m_clock->now();
        auto ticker = trade.ticker();
        found = notes.notesWithTicker(ticker ? std::string_view(*ticker) : std::string_view(),
                                      begin->addingSeconds(-OneDay), end.addingSeconds(OneDay));
    }
    const std::optional<Date> entry = firstOrderDate ? firstOrderDate : begin;

    auto appendNote = [&](const model::Note& note) {
        m_scratch.clear();
        if (auto timestamp = note.timestamp())
            appendDate(*m_dateTime, *timestamp, m_scratch);
        else
            m_scratch += MissingDate;
        m_scratch += ": ";
        out.append(m_scratch, TextStyle::UlNote);
        auto ticker = note.ticker();
        m_scratch.assign(ticker ? std::string_view(*ticker) : MissingTicker);
        m_scratch += " - ";
        auto comment = note.comment();
        m_scratch += comment ? std::string_view(*comment) : MissingComment;
        m_scratch += '\n';
        out.append(m_scratch, note.flagValue() ? TextStyle::FlaggedNote : TextStyle::Note);
    };

    const model::ChartImage* chart = trade.chartImg();
    // A note stamped exactly at the entry belongs to both groups and shows twice.
    for (auto* note : found)
        if (entry && *note->timestamp() <= *entry)
            appendNote(*note);
    appendChartImage(chart ? chart->entryImg() : std::nullopt, context, out);
    out.append("\n", TextStyle::Date);
    for (auto* note : found)
        if (entry && *note->timestamp() >= *entry)
            appendNote(*note);
    appendChartImage(chart ? chart->exitImg() : std::nullopt, context, out);
    out.append("\n\n", TextStyle::Date);
}

void ReportFormatter::appendChartImage(const std::optional<std::string>& storedName,
                                       const store::ObjectContext& context, StyledText& out) {
    if (!storedName || storedName->empty())
        return;
    // The picture of that name in this account's own folder, whatever folder code the name
    // carries: after a restore into another account the names still name the old folder.
    if (auto file = model::chartImageFile(context.fileURL(), *storedName))
        out.appendAttachment(ImageAttachment{*storedName, *file});
}

} // namespace brivel::report
