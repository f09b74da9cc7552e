#include "cli/RecordJson.h"
#include "core/app/StrategyNames.h"

#include "core/model/Order.h"

#include <cmath>
#include <ctime>
#include <fmt/format.h>

namespace brivel::cli {

namespace {

using nlohmann::json;

template <class T> json orNull(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

json dateOrNull(const std::optional<Date>& date) {
    return date ? json(isoDate(*date)) : json(nullptr);
}

} // namespace

std::string isoDate(Date date) {
    const double seconds = date.secondsSince1970;
    // Beyond any calendar the C library handles: the raw number says at least what is stored.
    if (!std::isfinite(seconds) || std::fabs(seconds) > 1e13)
        return fmt::format("{}", seconds);
    const auto millis = static_cast<std::int64_t>(std::llround(seconds * 1000.0));
    std::int64_t whole = millis / 1000;
    std::int64_t fraction = millis % 1000;
    if (fraction < 0) {
        fraction += 1000;
        whole -= 1;
    }
    const auto t = static_cast<std::time_t>(whole);
    std::tm local{};
    if (!localtime_r(&t, &local))
        return fmt::format("{}", seconds);
    char text[64];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
    std::string out = text;
    if (fraction != 0)
        out += fmt::format(".{:03}", fraction);
    const long offset = local.tm_gmtoff;
    const long magnitude = offset < 0 ? -offset : offset;
    out += fmt::format("{}{:02}:{:02}", offset < 0 ? '-' : '+', magnitude / 3600,
                       (magnitude % 3600) / 60);
    return out;
}

std::string idText(const store::ManagedObject& record) {
    return std::to_string(record.objectID());
}

std::optional<std::string> strategyName(const model::Trade& trade,
                                        const nlohmann::json& strategies) {
    return app::strategyNameAt(strategies, trade.tradeStrategyValue());
}

json orderJson(const model::Order& order) {
    return json{{"id", idText(order)},
                {"date", dateOrNull(order.date())},
                {"desc", orNull(order.desc())},
                {"isBuy", orNull(order.isBuy())},
                {"numShares", orNull(order.numShares())},
                {"price", orNull(order.price())},
                {"commission", orNull(order.commission())},
                {"reason", orNull(order.reason())}};
}

json tradeJson(const model::Trade& trade, const nlohmann::json& strategies) {
    json orders = json::array();
    for (const model::Order* o : sortedRecords(trade.order(), {{"date", true}}))
        orders.push_back(orderJson(*o));
    json chartImg = nullptr;
    if (const model::ChartImage* image = trade.chartImg())
        chartImg =
            json{{"entryImg", orNull(image->entryImg())}, {"exitImg", orNull(image->exitImg())}};
    return json{{"id", idText(trade)},
                {"ticker", orNull(trade.ticker())},
                {"date", dateOrNull(trade.date())},
                {"tradeStrategy", trade.tradeStrategyValue()},
                {"strategyStored", trade.tradeStrategy().has_value()},
                {"strategy", orNull(strategyName(trade, strategies))},
                {"profit", orNull(trade.profit())},
                {"profitRatio", orNull(trade.profitRatio())},
                {"isClosed", orNull(trade.isClosed())},
                {"buyToOpen", orNull(trade.buyToOpen())},
                {"orders", std::move(orders)},
                {"chartImg", std::move(chartImg)}};
}

json logJson(const model::Log& log) {
    json notes = json::array();
    for (const model::Note* n : sortedRecords(log.note(), {{"timestamp", true}, {"ticker", true}}))
        notes.push_back(json{{"id", idText(*n)},
                             {"timestamp", dateOrNull(n->timestamp())},
                             {"ticker", orNull(n->ticker())},
                             {"comment", orNull(n->comment())},
                             {"flag", orNull(n->flag())}});
    json barriers = json::array();
    for (const model::PriceBarrier* b : sortedRecords(log.priceBarrier(), {{"ticker", true}}))
        barriers.push_back(json{{"id", idText(*b)},
                                {"ticker", orNull(b->ticker())},
                                {"support", orNull(b->support())},
                                {"resistance", orNull(b->resistance())}});
    return json{{"id", idText(log)},
                {"date", dateOrNull(log.date())},
                {"notes", std::move(notes)},
                {"priceBarriers", std::move(barriers)}};
}

} // namespace brivel::cli
