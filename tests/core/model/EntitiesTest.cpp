// The typed accessors of each record class against the schema: every accessor must reach the
// attribute of its own name. Two attributes of one type swapped in the accessor list would still
// round-trip through the typed accessors alone; read back by name they cannot.

#include "core/model/Entities.h"
#include "core/model/AccountStore.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"

#include <gtest/gtest.h>
#include <map>

namespace brivel::model {
namespace {

using store::Value;
using Expected = std::map<std::string, Value>;

// Every attribute of the record's entity reads, by name, what its typed setter was given.
void expectEachAttributeByName(const store::ManagedObject& record, const Expected& expected) {
    const auto& attributes = record.entity().attributes;
    EXPECT_EQ(attributes.size(), expected.size())
        << record.entityName() << ": a case per attribute";
    for (const auto& a : attributes) {
        auto it = expected.find(a.name);
        ASSERT_NE(it, expected.end()) << record.entityName() << "." << a.name;
        EXPECT_TRUE(record.valueForKey(a.name) == it->second)
            << record.entityName() << "." << a.name << " reads "
            << record.valueForKey(a.name).toString();
    }
}

TEST(Entities, EveryTypedAccessorReachesTheAttributeOfItsName) {
    store::ObjectContext ctx(accountModel());

    auto* log = Log::insertInManagedObjectContext(&ctx);
    log->setDate(Date(11));
    expectEachAttributeByName(*log, {{"date", Value::date(Date(11))}});

    auto* note = Note::insertInManagedObjectContext(&ctx);
    note->setTimestamp(Date(21));
    note->setTicker(std::string("ticker"));
    note->setComment(std::string("comment"));
    note->setFlagValue(true);
    expectEachAttributeByName(*note, {{"timestamp", Value::date(Date(21))},
                                      {"ticker", Value::string("ticker")},
                                      {"comment", Value::string("comment")},
                                      {"flag", Value::boolean(true)}});

    auto* barrier = PriceBarrier::insertInManagedObjectContext(&ctx);
    barrier->setTicker(std::string("DOW"));
    barrier->setSupportValue(31.0);
    barrier->setResistanceValue(32.0);
    expectEachAttributeByName(*barrier, {{"ticker", Value::string("DOW")},
                                         {"support", Value::real(31.0)},
                                         {"resistance", Value::real(32.0)}});

    auto* trade = Trade::insertInManagedObjectContext(&ctx);
    trade->setTicker(std::string("MSFT"));
    trade->setDate(Date(41));
    trade->setTradeStrategyValue(42);
    trade->setProfitValue(43.0);
    trade->setProfitRatioValue(44.0);
    trade->setIsClosedValue(true);
    trade->setBuyToOpenValue(false);
    expectEachAttributeByName(*trade, {{"ticker", Value::string("MSFT")},
                                       {"date", Value::date(Date(41))},
                                       {"tradeStrategy", Value::integer(42)},
                                       {"profit", Value::real(43.0)},
                                       {"profitRatio", Value::real(44.0)},
                                       {"isClosed", Value::boolean(true)},
                                       {"buyToOpen", Value::boolean(false)}});

    auto* order = Order::insertInManagedObjectContext(&ctx);
    order->setDate(Date(51));
    order->setDesc(std::string("desc"));
    order->setIsBuyValue(true);
    order->setNumSharesValue(52);
    order->setPriceValue(53.0);
    order->setCommissionValue(54.0);
    order->setReason(std::string("reason"));
    expectEachAttributeByName(*order, {{"date", Value::date(Date(51))},
                                       {"desc", Value::string("desc")},
                                       {"isBuy", Value::boolean(true)},
                                       {"numShares", Value::integer(52)},
                                       {"price", Value::real(53.0)},
                                       {"commission", Value::real(54.0)},
                                       {"reason", Value::string("reason")}});

    auto* image = ChartImage::insertInManagedObjectContext(&ctx);
    image->setEntryImg(std::string("entry.png"));
    image->setExitImg(std::string("exit.png"));
    expectEachAttributeByName(
        *image, {{"entryImg", Value::string("entry.png")}, {"exitImg", Value::string("exit.png")}});
}

} // namespace
} // namespace brivel::model
