#pragma once

#include "core/model/AccountStore.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/stats/LocalCalendar.h"
#include "core/store/ObjectContext.h"

#include <memory>
#include <optional>
#include <string>
#include <unicode/timezone.h>

namespace brivel::test {

inline std::unique_ptr<icu::TimeZone> newYork() {
    return std::unique_ptr<icu::TimeZone>(icu::TimeZone::createTimeZone("America/New_York"));
}

// Builds trades in an in-memory account the way the order list does, then lets the bookkeeping
// close them.
class StatsAccount {
public:
    // Local time in New York on a day without a clock change.
    Date at(int y, int m, int d, int h = 0, int min = 0, int s = 0) const {
        return calendar.startOfDay({y, m, d}).addingSeconds(h * 3600.0 + min * 60.0 + s);
    }

    model::Order* addOrder(model::Trade* trade, bool buy, int shares, double price, Date date,
                           double commission = 0.0) {
        auto* o = model::Order::insertInManagedObjectContext(context.get());
        o->setDate(date);
        trade->addOrderObject(o);
        o->setDesc(std::string("A"));
        o->setIsBuyValue(buy);
        o->setNumSharesValue(shares);
        o->setPriceValue(price);
        o->setCommissionValue(commission);
        return o;
    }

    // Buys at open and sells at close; commission on each order.
    model::Trade* roundTrip(const std::string& ticker, std::int16_t strategy, Date open, Date close,
                            int shares, double buyPrice, double sellPrice,
                            double commission = 0.0) {
        auto* t = model::Trade::insertInManagedObjectContext(context.get());
        t->setTicker(ticker);
        t->setTradeStrategyValue(strategy);
        addOrder(t, true, shares, buyPrice, open, commission);
        addOrder(t, false, shares, sellPrice, close, commission);
        settle();
        return t;
    }

    // A closed trade with the given net profit, opened an hour before it closes.
    model::Trade* result(double netProfit, Date close, const std::string& ticker = "X") {
        return roundTrip(ticker, 0, close.addingSeconds(-3600), close, 1, 100.0, 100.0 + netProfit);
    }

    void settle() { context->manualScheduler().runUntilIdle(); }

    stats::LocalCalendar calendar{newYork()};
    std::unique_ptr<store::ObjectContext> context =
        std::make_unique<store::ObjectContext>(model::accountModel());
};

} // namespace brivel::test
