// What the five record list controllers add when records are created and deleted.

#include "core/controllers/LogArrayController.h"
#include "core/controllers/NoteArrayController.h"
#include "core/controllers/OrderArrayController.h"
#include "core/controllers/PriceBarrierArrayController.h"
#include "core/controllers/TradeArrayController.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "support/BookkeepingFixture.h"

#include <functional>
#include <gmock/gmock.h>
#include <regex>

namespace brivel::test {
namespace {

using controllers::LogArrayController;
using controllers::NoteArrayController;
using controllers::OrderArrayController;
using controllers::PriceBarrierArrayController;
using controllers::TradeArrayController;
using model::Log;
using model::Note;
using model::Order;
using model::PriceBarrier;
using model::Trade;
using Names = std::vector<std::optional<std::string>>;

class RecordRulesTest : public BookkeepingTest {
protected:
    // A record made and added by its list, as the add button does.
    template <class Controller> auto* added(Controller& list) {
        auto* record = list.newObject();
        if (record)
            list.addObject(record);
        return record;
    }
    Log* newLog() { return added(logAC); }
    Log* logWithBarriers(Date date, std::vector<std::tuple<std::string, double, double>> barriers) {
        auto* log = Log::insertInManagedObjectContext(context.get());
        log->setDate(date);
        for (const auto& [ticker, support, resistance] : barriers) {
            auto* b = PriceBarrier::insertInManagedObjectContext(context.get());
            b->setTicker(ticker);
            b->setSupportValue(support);
            b->setResistanceValue(resistance);
            log->addPriceBarrierObject(b);
        }
        return log;
    }
    static const PriceBarrier* barrier(const Log* log, const std::string& ticker) {
        for (auto* b : log->priceBarrier())
            if (b->ticker() == ticker)
                return b;
        return nullptr;
    }
    Trade* newTrade() { return added(tradeAC); }
    Order* newOrder(bool buy, std::int32_t shares, double price) {
        auto* o = added(orderAC);
        o->setDesc(std::string("A"));
        o->setIsBuyValue(buy);
        o->setNumSharesValue(shares);
        o->setPriceValue(price);
        return o;
    }

    FixedClock clock{Date(1'700'000'000.0)};
    ScriptedPrompter prompter;
    Names indices;
    LogArrayController logAC{*context, clock, prompter, [this] { return indices; }};
    PriceBarrierArrayController barrierAC{*context, logAC};
    NoteArrayController notesAC{*context, logAC, clock};
    TradeArrayController tradeAC{*context, clock, prompter, "B0W1"};
    OrderArrayController orderAC{*context, tradeAC, clock};
};

// ---- New log ---------------------------------------------------------------------------------

TEST_F(RecordRulesTest, NewLogCarriesTheLatestDaysLevelsForwardByExactIndexName) {
    logWithBarriers(Date(1000.0), {{"DOW", 100.0, 120.0}, {"Nasdaq", 1.0, 2.0}});
    logWithBarriers(Date(500.0), {{"DOW", 50.0, 60.0}});
    indices = {"NASDAQ", "DOW"};
    logAC.setSortDescriptors({{"date", false}}); // newest first: the older day is last
    Log* log = newLog();

    EXPECT_EQ(log->date(), std::optional<Date>(clock.now()));
    ASSERT_EQ(log->priceBarrier().size(), 2u);
    const PriceBarrier* nasdaq = barrier(log, "NASDAQ");
    const PriceBarrier* dow = barrier(log, "DOW");
    ASSERT_TRUE(nasdaq && dow);
    EXPECT_FALSE(nasdaq->support().has_value());
    EXPECT_FALSE(nasdaq->resistance().has_value());
    EXPECT_EQ(dow->support(), std::optional<double>(100.0));
    EXPECT_EQ(dow->resistance(), std::optional<double>(120.0));
    ASSERT_EQ(log->note().size(), 1u);
    EXPECT_EQ(log->note().front()->timestamp(), log->date());
    EXPECT_EQ(logAC.selectedObjects(), std::vector<store::KeyValueCoding*>{log});
}

TEST_F(RecordRulesTest, FirstLogGetsOneEmptyBarrierPerIndexInListOrder) {
    indices = {"NASDAQ", "DOW", std::nullopt};
    Log* log = newLog();
    ASSERT_EQ(log->priceBarrier().size(), 3u);
    Names tickers;
    for (auto* b : log->priceBarrier()) {
        tickers.push_back(b->ticker());
        EXPECT_FALSE(b->support().has_value());
        EXPECT_FALSE(b->resistance().has_value());
    }
    EXPECT_EQ(tickers, (Names{"NASDAQ", "DOW", std::nullopt}));

    indices.clear();
    Log* bare = newLog();
    EXPECT_TRUE(bare->priceBarrier().empty());
    EXPECT_EQ(bare->note().size(), 1u);
}

// ---- New trade, note and order ---------------------------------------------------------------

TEST_F(RecordRulesTest, NewTradeIsDatedNowWithTwoFreshImageNamesInTheAccountFolder) {
    Trade* t = newTrade();
    Trade* other = newTrade();
    EXPECT_EQ(t->date(), std::optional<Date>(clock.now()));
    ASSERT_TRUE(t->chartImg());
    EXPECT_EQ(t->chartImg()->trade(), t);

    const std::regex name("B0W1/[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}"
                          "\\.png");
    std::vector<std::string> names;
    for (Trade* x : {t, other})
        for (const auto& n : {x->chartImg()->entryImg(), x->chartImg()->exitImg()}) {
            ASSERT_TRUE(n.has_value());
            EXPECT_TRUE(std::regex_match(*n, name)) << *n;
            names.push_back(*n);
        }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::unique(names.begin(), names.end()), names.end()) << "every name is new";
}

TEST_F(RecordRulesTest, NewNotesAndOrdersAreStampedNowAndJoinTheSelectedRecord) {
    EXPECT_EQ(notesAC.newObject(), nullptr) << "no log selected";
    EXPECT_EQ(orderAC.newObject(), nullptr) << "no trade selected";

    Log* log = newLog();
    Trade* trade = newTrade();
    clock.advance(60.0);
    auto* note = added(notesAC);
    ASSERT_TRUE(note);
    EXPECT_EQ(note->timestamp(), std::optional<Date>(clock.now()));
    EXPECT_EQ(note->log(), log);
    EXPECT_EQ(log->note().size(), 2u);

    auto* order = added(orderAC);
    ASSERT_TRUE(order);
    EXPECT_EQ(order->date(), std::optional<Date>(clock.now()));
    EXPECT_EQ(order->trade(), trade);
}

// ---- Deletion --------------------------------------------------------------------------------

TEST_F(RecordRulesTest, OnlyALogOrATradeAsksBeforeItsDeletionAndYesTakesWhatItHolds) {
    indices = {"DOW"};
    Log* log = newLog();
    Trade* trade = newTrade();
    Order* order = newOrder(true, 100, 10.0);
    struct Case {
        const char* what;
        store::ManagedObject* record;
        std::function<void()> remove;
        std::vector<store::ManagedObject*> held;
    };
    const Case cases[] = {
        {"Log", log, [&] { logAC.remove(); }, {log->note().front(), log->priceBarrier().front()}},
        {"Trade", trade, [&] { tradeAC.remove(); }, {order, trade->chartImg()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        prompter = ScriptedPrompter();
        prompter.queueAnswer(false);
        c.remove();
        ASSERT_EQ(prompter.asked().size(), 1u);
        const auto& asked = prompter.asked().front();
        EXPECT_EQ(asked.title, "Confirm Deletion");
        EXPECT_EQ(asked.message,
                  std::string("Are you sure you want to delete this ") + c.what + "?");
        EXPECT_EQ(asked.defaultButton, "No");
        EXPECT_EQ(asked.alternateButton, "Yes");
        EXPECT_FALSE(c.record->isDeleted());

        prompter.queueAnswer(true);
        c.remove();
        EXPECT_TRUE(c.record->isDeleted());
        for (auto* held : c.held)
            EXPECT_TRUE(held->isDeleted());
    }
    EXPECT_TRUE(logAC.arrangedObjects().empty());
    EXPECT_TRUE(tradeAC.arrangedObjects().empty());

    // Notes, orders and barriers go without asking, and nothing selected asks nothing.
    prompter = ScriptedPrompter();
    log = newLog();
    newTrade();
    order = newOrder(true, 100, 10.0);
    ASSERT_EQ(notesAC.arrangedObjects().size(), 1u);
    notesAC.setSelectionIndexes({0});
    notesAC.remove();
    barrierAC.setSelectionIndexes({0});
    barrierAC.remove();
    orderAC.setSelectionIndexes({0});
    orderAC.remove();
    EXPECT_TRUE(log->note().empty());
    EXPECT_TRUE(log->priceBarrier().empty());
    EXPECT_TRUE(order->isDeleted());

    logAC.setSelectionIndexes({});
    tradeAC.setSelectionIndexes({});
    logAC.remove();
    tradeAC.remove();
    EXPECT_TRUE(prompter.asked().empty());
}

// Removing an order re-evaluates its trade after the deferral; what the re-evaluation makes of
// the orders is TradeTest's, here only that it runs.
TEST_F(RecordRulesTest, RemovingOneRecordFindsItsParentOrDeletesAnOrphanAlone) {
    Trade* other = newTrade();
    Trade* t = newTrade();
    newOrder(true, 100, 10.0);
    Order* sell = newOrder(false, 100, 12.0);
    settle();
    ASSERT_TRUE(t->isClosedValue());
    tradeAC.setSelectedObjects({other}); // the order's trade is not the one shown
    orderAC.removeOrder(*sell);
    EXPECT_TRUE(sell->isDeleted());
    EXPECT_TRUE(t->isClosedValue()) << "not inside the removal";
    settle();
    EXPECT_FALSE(t->isClosedValue()) << "its own trade was re-evaluated";

    Order* orphan = Order::insertInManagedObjectContext(context.get());
    orderAC.removeOrder(*orphan);
    EXPECT_TRUE(orphan->isDeleted());

    Log* log = newLog();
    Note* note = added(notesAC);
    logAC.setSelectedObjects({});
    notesAC.removeNote(*note);
    EXPECT_TRUE(note->isDeleted());
    EXPECT_FALSE(log->isDeleted());
    Note* lone = Note::insertInManagedObjectContext(context.get());
    notesAC.removeNote(*lone);
    EXPECT_TRUE(lone->isDeleted());
}

// ---- Index views -----------------------------------------------------------------------------

TEST_F(RecordRulesTest, IndexViewsFilterToOneIndexAndSelectIt) {
    Log* log = logWithBarriers(
        Date(1000.0), {{"NASDAQ", 10.0, 20.0}, {"DOW", 100.0, 120.0}, {"nasdaq", 1.0, 2.0}});
    logAC.setSelectedObjects({log});
    ASSERT_EQ(barrierAC.arrangedObjects().size(), 3u);

    EXPECT_EQ(barrierAC.nasdaqSelection().valueForKey("support"), store::Value::real(10.0));
    EXPECT_EQ(barrierAC.arrangedObjects().size(), 1u) << "exact case only";
    EXPECT_EQ(barrierAC.dowSelection().valueForKey("resistance"), store::Value::real(120.0));
    // Writing through the view writes the index's barrier.
    barrierAC.dowSelection().setValueForKey(store::Value::real(101.0), "support");
    EXPECT_EQ(barrier(log, "DOW")->support(), std::optional<double>(101.0));

    barrierAC.setFilterPredicate(std::nullopt);
    EXPECT_EQ(barrierAC.arrangedObjects().size(), 3u);
}

} // namespace
} // namespace brivel::test
