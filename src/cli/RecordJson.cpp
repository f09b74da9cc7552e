#include "cli/RecordJson.h"
#include "core/app/StrategyNames.h"

#include "core/model/Order.h"

#include <cmath>
#include <ctime>
#include <fmt/format.h>
#include <regex>

namespace brivel::cli {

namespace {

using nlohmann::json;

template <class T> json orNull(const std::optional<T>& value) {
    return value ? json(*value) : json(nullptr);
}

json dateOrNull(const std::optional<Date>& date) {
    return date ? json(isoDate(*date)) : json(nullptr);
}

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

unsigned daysInMonth(int year, unsigned month) {
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[month - 1];
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

std::optional<Date> parseInputDate(std::string_view text) {
    static const std::regex form(
        R"((\d{4})-(\d{2})-(\d{2})(?:T(\d{2}):(\d{2})(?::(\d{2}))?(Z|[+-]\d{2}:?\d{2})?)?)");
    std::match_results<std::string_view::const_iterator> m;
    if (!std::regex_match(text.begin(), text.end(), m, form))
        return std::nullopt;
    auto number = [&](int i) { return m[i].matched ? std::stoi(m[i].str()) : 0; };
    const int year = number(1), month = number(2), day = number(3);
    const int hour = number(4), minute = number(5), second = number(6);
    if (month < 1 || month > 12 || day < 1 ||
        static_cast<unsigned>(day) > daysInMonth(year, static_cast<unsigned>(month)) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;

    if (m[7].matched) {
        const std::string zone = m[7].str();
        int offset = 0;
        if (zone != "Z") {
            const int zoneHours = std::stoi(zone.substr(1, 2));
            const int zoneMinutes = std::stoi(zone.substr(zone.size() - 2));
            if (zoneHours > 23 || zoneMinutes > 59)
                return std::nullopt;
            offset = (zoneHours * 60 + zoneMinutes) * 60 * (zone[0] == '-' ? -1 : 1);
        }
        const std::int64_t days =
            daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
        return Date(
            static_cast<double>(days * 86400 + hour * 3600 + minute * 60 + second - offset));
    }

    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1; // the zone's own rule for that day
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1) && !(local.tm_year == 69 && local.tm_mday == 31))
        return std::nullopt;
    return Date(static_cast<double>(t));
}

std::string idText(const store::ManagedObject& record) {
    return std::to_string(record.objectID());
}

std::optional<std::string> strategyName(const model::Trade& trade,
                                        const nlohmann::json& strategies) {
    auto position = trade.tradeStrategy();
    if (!position)
        return std::nullopt;
    return app::strategyNameAt(strategies, *position);
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
                {"tradeStrategy", orNull(trade.tradeStrategy())},
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
