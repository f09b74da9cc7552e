#include "core/controllers/ArrayController.h"
#include "core/controllers/RecordContentSources.h"
#include "support/StoreTestSupport.h"

using namespace brivel;
using namespace brivel::model;
using namespace brivel::controllers;
using brivel::test::AccountFixture;
using store::Value;

namespace {

// Mirrors the rows the way an item model would, from the notifications alone, so a wrong
// pairing or a wrong row number shows up as a mismatch with arrangedObjects.
struct Mirror : ArrayControllerListener {
    ArrayController& c;
    std::vector<KeyValueCoding*> rows;
    std::size_t pendingFirst = 0;
    bool inserting = false, removing = false, resetting = false;
    int changes = 0, selections = 0;
    explicit Mirror(ArrayController& controller) : c(controller) {
        rows = c.arrangedObjects();
        c.addListener(this);
    }
    ~Mirror() override { c.removeListener(this); }
    void aboutToInsertRows(std::size_t first, std::size_t last) override {
        EXPECT_EQ(first, last);
        pendingFirst = first;
        inserting = true;
    }
    void rowsInserted() override {
        ASSERT_TRUE(inserting);
        inserting = false;
        rows.insert(rows.begin() + static_cast<long>(pendingFirst),
                    c.arrangedObjects()[pendingFirst]);
    }
    void aboutToRemoveRows(std::size_t first, std::size_t) override {
        pendingFirst = first;
        removing = true;
    }
    void rowsRemoved() override {
        ASSERT_TRUE(removing);
        removing = false;
        rows.erase(rows.begin() + static_cast<long>(pendingFirst));
    }
    void aboutToReset() override { resetting = true; }
    void reset() override {
        ASSERT_TRUE(resetting);
        resetting = false;
        rows = c.arrangedObjects();
    }
    void rowsChanged(std::size_t, std::size_t) override { ++changes; }
    void selectionChanged() override { ++selections; }
    bool consistent() const { return rows == c.arrangedObjects(); }
};

} // namespace

class ArrayControllerTest : public AccountFixture {};

TEST_F(ArrayControllerTest, EntityContentArrangesFiltersAndFollowsTheContext) {
    ArrayController trades(std::make_unique<EntityContentSource>(*ctx, "Trade"));
    trades.setSortDescriptors({{"ticker", true}});
    Mirror m(trades);
    auto* b = insert<Trade>();
    b->setTicker(std::string("B"));
    auto* a = static_cast<Trade*>(trades.add());
    a->setTicker(std::string("A"));
    EXPECT_TRUE(m.consistent());
    EXPECT_EQ(trades.selectedObjects(), std::vector<KeyValueCoding*>{a});
    EXPECT_GT(m.changes, 0);
    trades.rearrangeObjects();
    EXPECT_EQ(trades.arrangedObjects(), (std::vector<KeyValueCoding*>{a, b}));
    EXPECT_TRUE(m.consistent());

    trades.setFilterPredicate(store::Predicate::likeCD("ticker", "b*"));
    EXPECT_EQ(trades.arrangedObjects(), std::vector<KeyValueCoding*>{b});
    EXPECT_TRUE(trades.selectedObjects().empty()); // a is filtered out
    a->setTicker(std::string("bb"));
    EXPECT_EQ(trades.arrangedObjects().size(), 2u);
    EXPECT_TRUE(m.consistent());

    trades.setSelectedObjects({b});
    ctx->undoManager().endEventGroup();
    trades.remove();
    EXPECT_TRUE(b->isDeleted());
    EXPECT_TRUE(m.consistent());
    EXPECT_EQ(trades.selectedObjects(), std::vector<KeyValueCoding*>{a});

    ctx->undoManager().undo(); // the deletion comes back through the context
    EXPECT_TRUE(m.consistent());
    EXPECT_EQ(trades.arrangedObjects().size(), 2u);
}

TEST_F(ArrayControllerTest, RelationshipContentFollowsTheMasterSelection) {
    ArrayController trades(std::make_unique<EntityContentSource>(*ctx, "Trade"));
    ArrayController orders;
    orders.setContentSource(std::make_unique<RelationshipContentSource>(*ctx, trades, "order"));
    orders.setSortDescriptors({{"date", true}});
    Mirror m(orders);
    auto* t1 = static_cast<Trade*>(trades.add());
    auto* t2 = static_cast<Trade*>(trades.add());
    EXPECT_EQ(trades.selectedObjects(), std::vector<KeyValueCoding*>{t2});

    trades.setSelectedObjects({t1});
    auto* o1 = static_cast<Order*>(orders.newObject());
    ASSERT_TRUE(o1);
    o1->setDate(Date(2));
    orders.addObject(o1);
    auto* o2 = static_cast<Order*>(orders.newObject());
    o2->setDate(Date(1));
    orders.addObject(o2);
    EXPECT_EQ(o1->trade(), t1);
    EXPECT_EQ(orders.arrangedObjects(), (std::vector<KeyValueCoding*>{o2, o1}));
    EXPECT_TRUE(m.consistent());

    trades.setSelectedObjects({t2});
    EXPECT_TRUE(orders.arrangedObjects().empty());
    trades.setSelectedObjects({t1, t2});
    EXPECT_TRUE(orders.arrangedObjects().empty());
    EXPECT_EQ(orders.newObject(), nullptr); // no single owner
    trades.setSelectedObjects({t1});
    EXPECT_EQ(orders.arrangedObjects().size(), 2u);

    orders.setSelectedObjects({o1, o2});
    orders.selection().setValueForKey(Value::real(9.5), "price");
    EXPECT_EQ(o1->priceValue(), 9.5);
    EXPECT_EQ(orders.selection().valueForKey("price"), Value::real(9.5));
    o2->setPriceValue(1);
    EXPECT_TRUE(orders.selection().valueForKey("price").isNull()); // values differ

    orders.setSelectedObjects({o2});
    orders.remove();
    EXPECT_TRUE(o2->isDeleted());
    EXPECT_EQ(t1->order(), std::vector<Order*>{o1});
    EXPECT_TRUE(m.consistent());
}
