#include "core/export/CSVHandler.h"

#include "core/csv/CsvWriter.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/LocaleFormatter.h"
#include "core/platform/SystemLog.h"

#include <algorithm>
#include <memory>

namespace brivel::exporting {

using namespace brivel::model;
using csv::CsvValue;
using csv::CsvWriter;

namespace {

std::vector<store::ManagedObject*> fetchSorted(store::ObjectContext& context, const char* entity,
                                               const char* key) {
    store::FetchRequest request;
    request.entityName = entity;
    request.sortDescriptors = {{key, true}};
    Error error;
    // A failed fetch counts as an empty result.
    return context.executeFetchRequest(request, &error);
}

// An amount in the user's currency style; nothing for an absent one.
std::string currencyText(const LocaleFormatter& format, const std::optional<double>& value) {
    return value ? format.currency(*value) : std::string();
}

std::optional<Error> finish(CsvWriter& writer) {
    writer.closeFile();
    return writer.error();
}

template <class T> CsvValue optionalValue(const std::optional<T>& v) {
    return v ? CsvValue(*v) : CsvValue();
}

} // namespace

std::optional<Error> CSVHandler::writeTradesTo(const std::filesystem::path& path,
                                               store::ObjectContext& context) const {
    auto trades = fetchSorted(context, "Trade", "date");
    if (trades.empty())
        systemLog().log("CSVHandler: No trades to process");
    const LocaleFormatter currency; // made for each export, so a changed locale is followed
    CsvWriter writer(path, false);
    writer.writeLineWithFields(
        std::vector<std::string>{"Trade #", "Order Date", "Ticker", "Description", "Buy/Sell",
                                 "Quantity", "Price", "Commission", "Reason", "Strategy"});
    std::int64_t number = 0;
    for (auto* record : trades) {
        auto* trade = static_cast<Trade*>(record);
        ++number; // a trade without orders still uses up its number
        // A trade with no strategy stored is at position 0, as everywhere else.
        std::optional<std::string> strategy;
        if (m_strategies)
            strategy = m_strategies(trade->tradeStrategyValue());
        auto orders = trade->order();
        std::stable_sort(orders.begin(), orders.end(), [](Order* a, Order* b) {
            return store::compareValues(a->valueForKey("date"), b->valueForKey("date")) < 0;
        });
        for (auto* order : orders) {
            writer.writeField(CsvValue(number));
            writer.writeField(optionalValue(order->date()));
            writer.writeField(optionalValue(trade->ticker()));
            writer.writeField(optionalValue(order->desc()));
            writer.writeField(order->isBuyValue() ? "Buy" : "Sell");
            writer.writeField(optionalValue(order->numShares()));
            writer.writeField(currencyText(currency, order->price()));
            writer.writeField(currencyText(currency, order->commission()));
            writer.writeField(optionalValue(order->reason()));
            writer.writeField(optionalValue(strategy));
            writer.writeLine();
        }
    }
    return finish(writer);
}

std::optional<Error> CSVHandler::writeJournalTo(const std::filesystem::path& path,
                                                store::ObjectContext& context) const {
    auto logs = fetchSorted(context, "Log", "date");
    if (logs.empty())
        systemLog().log("CSVHandler: No journal entries to process");
    CsvWriter writer(path, false);
    writer.writeLineWithFields(
        std::vector<std::string>{"Flagged", "Log Date", "Note Date/Time", "Ticker", "Comment"});
    for (auto* record : logs) {
        auto* log = static_cast<Log*>(record);
        auto notes = log->note();
        std::stable_sort(notes.begin(), notes.end(), [](Note* a, Note* b) {
            return store::compareValues(a->valueForKey("timestamp"), b->valueForKey("timestamp")) <
                   0;
        });
        for (auto* note : notes) {
            writer.writeField(note->flagValue() ? "X" : "");
            writer.writeField(optionalValue(log->date()));
            writer.writeField(optionalValue(note->timestamp()));
            writer.writeField(optionalValue(note->ticker()));
            writer.writeField(optionalValue(note->comment()));
            writer.writeLine();
        }
    }
    return finish(writer);
}

} // namespace brivel::exporting
