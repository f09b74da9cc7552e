#pragma once

#include "core/model/AccountStore.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/Scheduler.h"
#include "core/store/ObjectContext.h"

#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brivel::test {

// A scheduler that keeps every request, so a test can look at the delays and run the requests
// one at a time.
class RecordingScheduler final : public Scheduler {
public:
    struct Request {
        double delay;
        std::function<void()> fn;
    };
    void schedule(double delaySeconds, std::function<void()> fn) override {
        requests.push_back({delaySeconds, std::move(fn)});
    }
    // Runs the request at position i (and keeps it, so the positions stay put).
    void run(std::size_t i) { requests.at(i).fn(); }
    std::size_t runAll() {
        std::size_t n = 0;
        while (n < requests.size())
            requests[n++].fn();
        return n;
    }
    std::vector<Request> requests;
};

// Counts "ShowTradeClosingHint" per trade.
class HintCounter {
public:
    explicit HintCounter(NotificationCenter& center) : m_center(center) {
        m_token = center.addObserver(
            model::ShowTradeClosingHint, nullptr,
            [this](const std::string&, const void* object) { senders.push_back(object); });
    }
    ~HintCounter() { m_center.removeObserver(m_token); }
    HintCounter(const HintCounter&) = delete;
    HintCounter& operator=(const HintCounter&) = delete;
    std::size_t countFor(const model::Trade* trade) const {
        std::size_t n = 0;
        for (const void* s : senders)
            n += s == static_cast<const void*>(trade) ? 1 : 0;
        return n;
    }
    std::vector<const void*> senders;

private:
    NotificationCenter& m_center;
    NotificationCenter::Token m_token = 0;
};

// What the order list lets a user type into an order.
struct OrderValues {
    bool isBuy;
    std::int32_t shares;
    double price;
    std::optional<std::string> desc;
    std::optional<double> commission = std::nullopt;
};

// An account context in memory, run by its own manual scheduler, posting to its own center.
class BookkeepingTest : public ::testing::Test {
protected:
    BookkeepingTest() : context(std::make_unique<store::ObjectContext>(model::accountModel())) {
        context->setNotificationCenter(&center);
    }

    model::Trade* newTrade() { return model::Trade::insertInManagedObjectContext(context.get()); }

    // Adds an order to the trade and types its values in, as the order list does.
    model::Order* addOrder(model::Trade* trade, const OrderValues& values,
                           Date date = Date(1000.0)) {
        auto* o = model::Order::insertInManagedObjectContext(context.get());
        o->setDate(date);
        trade->addOrderObject(o);
        o->setDesc(values.desc);
        o->setIsBuyValue(values.isBuy);
        o->setNumSharesValue(values.shares);
        o->setPriceValue(values.price);
        if (values.commission)
            o->setCommissionValue(*values.commission);
        return o;
    }

    std::size_t settle() { return context->manualScheduler().runUntilIdle(); }

    NotificationCenter center;
    std::unique_ptr<store::ObjectContext> context;
    HintCounter hints{center};
};

inline std::vector<std::optional<std::string>> descsOf(const model::Trade& trade) {
    std::vector<std::optional<std::string>> out;
    for (const auto& b : trade.orderDescList())
        out.push_back(b.desc());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace brivel::test
