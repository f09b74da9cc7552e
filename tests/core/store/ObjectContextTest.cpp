#include "support/StoreTestSupport.h"

#include <set>

using namespace brivel;
using namespace brivel::model;
using brivel::test::AccountFixture;
using store::Change;
using store::Value;

namespace {

// Records every notification it receives.
struct Recorder : store::KeyValueObserver {
    struct Seen {
        std::string key;
        store::ManagedObject* object;
        Change change;
    };
    std::vector<Seen> seen;
    std::vector<void*> contexts;
    void observeValueForKeyPath(std::string_view keyPath, store::ManagedObject* object,
                                const Change& change, void* context) override {
        seen.push_back({std::string(keyPath), object, change});
        contexts.push_back(context);
    }
    std::multiset<std::string> keys() const {
        std::multiset<std::string> k;
        for (auto& s : seen)
            k.insert(s.key);
        return k;
    }
};

} // namespace

class ObjectContextTest : public AccountFixture {};

TEST_F(ObjectContextTest, UndoAndRedoRoundTripsAttributesInsertsDeletesAndRelationships) {
    auto& undo = ctx->undoManager();
    undo.beginUndoGrouping();
    auto* trade = insert<Trade>();
    trade->setTicker(std::string("AAPL"));
    undo.endUndoGrouping();

    undo.beginUndoGrouping();
    auto* order = insert<Order>();
    order->setDate(Date(5));
    trade->addOrderObject(order);
    order->setNumSharesValue(100);
    undo.endUndoGrouping();

    undo.beginUndoGrouping();
    order->setNumSharesValue(60);
    trade->setTicker(std::nullopt);
    undo.endUndoGrouping();

    undo.undo();
    EXPECT_EQ(order->numSharesValue(), 100);
    EXPECT_EQ(trade->ticker(), "AAPL");
    undo.redo();
    EXPECT_EQ(order->numSharesValue(), 60);
    EXPECT_FALSE(trade->ticker().has_value());
    undo.undo();

    undo.undo(); // the order's insertion and linking
    EXPECT_TRUE(order->isDeleted());
    EXPECT_TRUE(trade->order().empty());
    EXPECT_EQ(ctx->registeredObjects("Order").size(), 0u);
    undo.redo();
    EXPECT_FALSE(order->isDeleted());
    ASSERT_EQ(trade->order().size(), 1u);
    EXPECT_EQ(order->trade(), trade);
    EXPECT_EQ(order->numSharesValue(), 100);

    // Deleting cascades; undo brings back every record with its links.
    undo.beginUndoGrouping();
    ctx->deleteObject(trade);
    undo.endUndoGrouping();
    EXPECT_TRUE(trade->isDeleted());
    EXPECT_TRUE(order->isDeleted());
    EXPECT_EQ(trade->managedObjectContext(), nullptr);
    undo.undo();
    EXPECT_FALSE(trade->isDeleted());
    EXPECT_FALSE(order->isDeleted());
    EXPECT_EQ(order->trade(), trade);
    EXPECT_EQ(trade->order(), std::vector<Order*>{order});
    undo.redo();
    EXPECT_TRUE(order->isDeleted());
    undo.undo();

    // An undone deletion that was saved in between comes back in the file too.
    save();
    undo.beginUndoGrouping();
    ctx->deleteObject(trade);
    undo.endUndoGrouping();
    save();
    undo.undo();
    save();
    auto tradeID = trade->objectID();
    ctx = reopen();
    auto* back = static_cast<Trade*>(ctx->objectWithID(tradeID));
    ASSERT_TRUE(back);
    ASSERT_EQ(back->order().size(), 1u);
    EXPECT_EQ(back->order()[0]->numSharesValue(), 100);
}

TEST_F(ObjectContextTest, ChangesOutsideAGroupFormOneStepPerEventAndPrimitivesAreNotRecorded) {
    auto& undo = ctx->undoManager();
    auto* log = insert<Log>();
    log->setDate(Date(1));
    log->setDate(Date(2));
    undo.endEventGroup();
    log->setDate(Date(3));
    log->setPrimitiveDate(Date(4)); // not recorded
    EXPECT_EQ(undo.groupingLevel(), 0);
    undo.undo(); // the second event: back to 2
    EXPECT_EQ(log->date(), Date(2));
    undo.undo(); // the first event: the insertion is gone
    EXPECT_TRUE(log->isDeleted());
    EXPECT_FALSE(undo.canUndo());
}

TEST_F(ObjectContextTest, ObserversHearTheirKeyAndOnlyTheDeclaredDependentKeys) {
    auto* trade = insert<Trade>();
    Recorder r;
    for (const char* k : {"isClosed", "isClosedValue", "profit", "profitValue", "ticker",
                          "buyToOpenValue", "order", "date"})
        trade->addObserver(&r, k, store::ObservingNew | store::ObservingOld, nullptr);

    trade->setIsClosedValue(true);
    EXPECT_EQ(r.keys(), (std::multiset<std::string>{"isClosed", "isClosedValue"}));
    EXPECT_EQ(r.seen[0].change.oldValue, Value());
    EXPECT_EQ(r.seen[0].change.newValue, Value::boolean(true));
    r.seen.clear();

    trade->setProfitValue(190);
    trade->setTicker(std::string("X"));
    EXPECT_EQ(r.keys(), (std::multiset<std::string>{"profit", "profitValue", "ticker"}));
    r.seen.clear();

    // Setting the same value again is not a change.
    trade->setProfitValue(190);
    EXPECT_TRUE(r.seen.empty());

    // Primitive accessors are silent.
    trade->setPrimitiveIsClosedValue(false);
    EXPECT_TRUE(r.seen.empty());

    // A relationship change is announced under the relationship's key, with the objects.
    auto* order = insert<Order>();
    trade->addOrderObject(order);
    ASSERT_EQ(r.keys(), (std::multiset<std::string>{"order"}));
    EXPECT_EQ(r.seen[0].change.kind, Change::Kind::Insertion);
    EXPECT_EQ(r.seen[0].change.newObjects, std::vector<store::ManagedObject*>{order});
    r.seen.clear();
    order->setTrade(nullptr);
    ASSERT_EQ(r.keys(), (std::multiset<std::string>{"order"}));
    EXPECT_EQ(r.seen[0].change.kind, Change::Kind::Removal);
    r.seen.clear();

    // No options: told, without values.
    Recorder bare;
    order->addObserver(&bare, "price", store::ObservingNone, nullptr);
    order->setPriceValue(3);
    ASSERT_EQ(bare.seen.size(), 1u);
    EXPECT_TRUE(bare.seen[0].change.newValue.isNull());

    trade->removeObserver(&r, "profit");
    trade->setProfitValue(1);
    EXPECT_EQ(r.keys(), (std::multiset<std::string>{"profitValue"}));

    // Each registration hands back its own context, also after others were removed.
    Recorder withContext;
    int first = 0, second = 0;
    order->addObserver(&withContext, "reason", store::ObservingNone, &first);
    order->addObserver(&withContext, "desc", store::ObservingNone, &second);
    order->setReason(std::string("r"));
    order->setDesc(std::string("d"));
    EXPECT_EQ(withContext.contexts, (std::vector<void*>{&first, &second}));
    order->removeObserver(&withContext, "reason");
    order->setDesc(std::string("e"));
    order->setReason(std::string("s"));
    EXPECT_EQ(withContext.contexts, (std::vector<void*>{&first, &second, &second}));

    // A key set: one registration, told of each member under the member's own key.
    Recorder set;
    const store::KeyId priceAndDesc = store::internKeySet({"desc", "price"});
    EXPECT_EQ(store::internKeySet({"price", "desc"}), priceAndDesc);
    order->addObserver(&set, priceAndDesc, store::ObservingNew, nullptr);
    order->setPriceValue(4);
    order->setReason(std::string("not a member"));
    order->setDesc(std::string("f"));
    EXPECT_EQ(set.keys(), (std::multiset<std::string>{"price", "desc"}));
    EXPECT_EQ(set.seen[0].change.newValue, Value::real(4));
    order->removeObserver(&set, priceAndDesc);
    order->setPriceValue(5);
    EXPECT_EQ(set.seen.size(), 2u);

    // One observation is kept in the record, more in a list: every step between the two forms.
    auto* fresh = insert<Order>();
    Recorder a, b;
    const auto tell = [&](double price) {
        a.seen.clear();
        b.seen.clear();
        fresh->setPriceValue(price);
        return std::to_string(a.seen.size()) + std::to_string(b.seen.size());
    };
    fresh->addObserver(&a, "price", store::ObservingNone, nullptr);
    fresh->removeObserver(&a, "price");
    EXPECT_EQ(tell(1), "00");
    fresh->addObserver(&a, "price", store::ObservingNone, nullptr);
    EXPECT_EQ(tell(2), "10");
    fresh->addObserver(&b, "price", store::ObservingNone, nullptr);
    EXPECT_EQ(tell(3), "11");
    fresh->removeObserver(&a, "price");
    EXPECT_EQ(tell(4), "01");
    fresh->removeObserver(&b, "price");
    EXPECT_EQ(tell(5), "00");
    EXPECT_EQ(fresh->observationCount(), 0u);
}

TEST_F(ObjectContextTest, ScalarAccessorsKeepTheirWidthsAndReadAbsentAsZero) {
    auto* order = insert<Order>();
    EXPECT_EQ(order->numSharesValue(), 0);
    EXPECT_FALSE(order->isBuyValue());
    EXPECT_EQ(order->priceValue(), 0.0);
    order->setValueForKey(Value::integer(4294967296LL + 5), "numShares");
    EXPECT_EQ(order->numSharesValue(), 5);
    order->setValueForKey(Value::integer(2147483648LL), "numShares");
    EXPECT_EQ(order->numSharesValue(), INT32_MIN);
    auto* trade = insert<Trade>();
    trade->setValueForKey(Value::integer(70000), "tradeStrategy");
    EXPECT_EQ(trade->tradeStrategyValue(), static_cast<std::int16_t>(70000));
    EXPECT_EQ(trade->valueForKey("tradeStrategyValue"), Value::integer(4464));
    EXPECT_THROW(trade->setValueForKey(Value::string("x"), "profit"), std::invalid_argument);
    EXPECT_THROW(trade->valueForKey("nonsense"), std::invalid_argument);
}

TEST_F(ObjectContextTest, ClassOperationsFetchEveryRecordAndRefuseNoContext) {
    insert<Trade>()->setDate(Date(20));
    insert<Trade>()->setDate(Date(10));
    Error error;
    auto trades = Trade::fetchNewFetchRequest(ctx.get(), &error);
    ASSERT_EQ(trades.size(), 2u);
    EXPECT_EQ(trades[0]->date(), Date(10));

    try {
        Trade::insertInManagedObjectContext(nullptr);
        FAIL() << "no failure";
    } catch (const InternalInconsistency& e) {
        EXPECT_STREQ(e.what(), "Invalid parameter not satisfying: moc_");
        EXPECT_EQ(e.source(), "_Trade");
    }
    EXPECT_THROW(Log::entityInManagedObjectContext(nullptr), InternalInconsistency);
    EXPECT_THROW(Trade::fetchNewFetchRequest(nullptr), InternalInconsistency);
    EXPECT_EQ(ctx->registeredObjects("Trade").size(), 2u);
}

TEST_F(ObjectContextTest, OneToOneAndOneToManyKeepTheirInverses) {
    auto* t1 = insert<Trade>();
    auto* t2 = insert<Trade>();
    auto* image = insert<ChartImage>();
    t1->setChartImg(image);
    t2->setChartImg(image); // the image moves: t1 loses it
    EXPECT_EQ(t1->chartImg(), nullptr);
    EXPECT_EQ(image->trade(), t2);
    auto* order = insert<Order>();
    t1->orderSet().addObject(order);
    t2->orderSet().addObject(order);
    EXPECT_TRUE(t1->order().empty());
    EXPECT_EQ(order->trade(), t2);
    EXPECT_TRUE(t2->orderSet().containsObject(order));
    ctx->undoManager().undo();
    EXPECT_TRUE(t1->order().empty());
    EXPECT_EQ(image->trade(), nullptr);
}

class Validation : public AccountFixture {};

TEST_F(Validation, OneFailureKeepsItsOwnCodeSeveralGiveCode1560WithTheDetails) {
    auto* order = insert<Order>(); // no date, no trade: two failures
    auto* t = insert<Trade>();
    t->addOrderObject(order);
    order->setDate(Date(1));
    order->setNumSharesValue(-5);
    Error e;
    EXPECT_FALSE(ctx->save(&e));
    EXPECT_EQ(e.domain, errors::ValidationDomain);
    EXPECT_EQ(e.code, errors::ValidationNumberTooSmall);
    EXPECT_TRUE(e.detailedErrors.empty());
    EXPECT_EQ(e.userInfo["NSValidationErrorKey"], "numShares");

    // Several at once: one error holding each.
    order->setPriceValue(-1);
    order->setCommissionValue(-0.01);
    insert<Log>();                         // no date
    insert<Note>()->setTimestamp(Date(3)); // belongs to no log
    e = {};
    EXPECT_FALSE(ctx->save(&e));
    EXPECT_EQ(e.code, errors::ValidationMultipleErrors);
    ASSERT_EQ(e.detailedErrors.size(), 5u);
    std::multiset<int> codes;
    for (auto& d : e.detailedErrors) {
        codes.insert(d.code);
        EXPECT_FALSE(d.localizedDescription.empty());
    }
    EXPECT_EQ(codes.count(errors::ValidationNumberTooSmall), 3u);
    EXPECT_EQ(codes.count(errors::ValidationMissingMandatoryProperty), 2u);

    // Nothing reached the file.
    ctx = reopen();
    EXPECT_TRUE(ctx->registeredObjects("Order").empty());
}
