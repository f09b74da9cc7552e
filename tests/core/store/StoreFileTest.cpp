#include "core/store/SqliteStore.h"
#include "support/SqlFile.h"
#include "support/StoreTestSupport.h"

#include <fmt/format.h>
#include <map>
#include <random>

using namespace brivel;
using namespace brivel::model;
using brivel::test::AccountFixture;

class StoreFile : public AccountFixture {};

TEST_F(StoreFile, EveryAttributeSurvivesSaveAndReopenAbsentValuesIncluded) {
    using store::Value;
    // One record per entity with every attribute given; absent ones of each kind included.
    const std::map<std::string, std::map<std::string, Value>> records = {
        {"Log", {{"date", Value::date(Date(1700000000.25))}}},
        {"Note",
         {{"timestamp", Value::date(Date(1700000001.5))},
          {"ticker", Value::string("AAPL")},
          {"comment", Value::string("Ünïcode, \"quotes\"\nand lines")},
          {"flag", Value()}}},
        {"PriceBarrier",
         {{"ticker", Value::string("DOW")},
          {"support", Value::real(33000.5)},
          {"resistance", Value()}}},
        {"Trade",
         {{"ticker", Value::string("MSFT")},
          {"date", Value::date(Date(1700000200))}, // its order's, as loading recomputes it
          {"tradeStrategy", Value::integer(3)},
          {"profit", Value::real(-12.5)},
          {"profitRatio", Value::real(0.25)},
          {"isClosed", Value::boolean(true)},
          {"buyToOpen", Value::boolean(false)}}},
        {"Order",
         {{"date", Value::date(Date(1700000200))},
          {"desc", Value::string("")}, // empty, not absent
          {"isBuy", Value::boolean(true)},
          {"numShares", Value::integer(2147483647)},
          {"price", Value::real(123.456789)},
          {"commission", Value::real(0.1)},
          {"reason", Value::string("breakout")}}},
        {"ChartImage", {{"entryImg", Value::string("B0W1/A.png")}, {"exitImg", Value()}}},
    };
    std::map<std::string, store::ObjectID> ids;
    std::map<std::string, store::ManagedObject*> made;
    for (const auto& [entity, values] : records) {
        made[entity] = ctx->insertNewObjectForEntityForName(entity);
        for (const auto& [key, value] : values)
            made[entity]->setValueForKey(value, key);
        ids[entity] = made[entity]->objectID();
    }
    auto* log = static_cast<Log*>(made["Log"]);
    auto* trade = static_cast<Trade*>(made["Trade"]);
    log->addNoteObject(static_cast<Note*>(made["Note"]));
    log->addPriceBarrierObject(static_cast<PriceBarrier*>(made["PriceBarrier"]));
    trade->addOrderObject(static_cast<Order*>(made["Order"]));
    trade->setChartImg(static_cast<ChartImage*>(made["ChartImage"]));
    save();
    EXPECT_FALSE(ctx->hasChanges());

    ctx = reopen();
    for (const auto& [entity, values] : records) {
        auto* record = ctx->objectWithID(ids[entity]);
        ASSERT_TRUE(record) << entity;
        for (const auto& [key, value] : values)
            EXPECT_TRUE(record->valueForKey(key) == value)
                << entity << "." << key << " reads " << record->valueForKey(key).describe();
    }
    auto* l = static_cast<Log*>(ctx->objectWithID(ids["Log"]));
    auto* t = static_cast<Trade*>(ctx->objectWithID(ids["Trade"]));
    EXPECT_EQ(l->note(), std::vector<Note*>{static_cast<Note*>(ctx->objectWithID(ids["Note"]))});
    EXPECT_EQ(l->priceBarrier().size(), 1u);
    EXPECT_EQ(t->order(),
              std::vector<Order*>{static_cast<Order*>(ctx->objectWithID(ids["Order"]))});
    EXPECT_EQ(t->chartImg(), ctx->objectWithID(ids["ChartImage"]));
    EXPECT_FALSE(ctx->hasChanges());
}

TEST_F(StoreFile, SavesOnlyChangesAndDeletionsReachTheFile) {
    auto* trade = insert<Trade>();
    auto* order = insert<Order>();
    order->setDate(Date(10));
    trade->addOrderObject(order);
    auto* image = insert<ChartImage>();
    trade->setChartImg(image);
    save();
    const auto orderID = order->objectID();
    order->setPriceValue(5);
    EXPECT_TRUE(ctx->hasChanges());
    EXPECT_TRUE(order->hasChanges());
    EXPECT_FALSE(image->hasChanges());
    save();
    ctx->deleteObject(trade); // cascades to the order and the chart image
    EXPECT_TRUE(order->isDeleted());
    EXPECT_TRUE(image->isDeleted());
    save();
    ctx = reopen();
    EXPECT_TRUE(ctx->registeredObjects("Trade").empty());
    EXPECT_TRUE(ctx->registeredObjects("Order").empty());
    EXPECT_TRUE(ctx->registeredObjects("ChartImage").empty());
    // Identifiers are never handed out twice, even after the highest one was deleted.
    auto* again = Trade::insertInManagedObjectContext(ctx.get());
    EXPECT_GT(again->objectID(), orderID);
}

TEST_F(StoreFile, RollbackDropsUnsavedChanges) {
    auto* log = insert<Log>();
    log->setDate(Date(1));
    save();
    log->setDate(Date(2));
    insert<Log>()->setDate(Date(3));
    ASSERT_TRUE(ctx->rollback());
    ASSERT_EQ(ctx->registeredObjects("Log").size(), 1u);
    EXPECT_EQ(static_cast<Log*>(ctx->registeredObjects("Log")[0])->date(), Date(1));
    EXPECT_FALSE(ctx->hasChanges());
}

TEST_F(StoreFile, FileIsMarkedAndKeepsTheDeleteJournal) {
    ctx.reset();
    auto pragma = [&](const char* sql) { return test::querySqlOne(dbPath, sql); };
    EXPECT_EQ(pragma("PRAGMA application_id"), std::to_string(store::SqliteStore::ApplicationID));
    EXPECT_EQ(pragma("PRAGMA user_version"), std::to_string(store::SqliteStore::SchemaVersion));
    EXPECT_EQ(pragma("PRAGMA journal_mode"), "delete");
}

TEST(StoreFileRefusal, ForeignFilesAreRefusedAndLeftUntouched) {
    brivel::test::TempDir dir;
    std::mt19937 rng(7);
    std::string random(4096, '\0');
    for (auto& c : random)
        c = static_cast<char>(rng());

    auto makeSqlite = [&](const std::string& name, const std::string& sql) {
        EXPECT_EQ(test::execSql(dir / name, sql), "") << name;
        return dir / name;
    };
    std::vector<std::filesystem::path> files;
    files.push_back(dir / "random.brdb");
    brivel::test::writeFile(files.back(), random);
    files.push_back(dir / "text.brdb");
    brivel::test::writeFile(files.back(), "date,ticker\n2024-01-01,AAPL\n");
    files.push_back(dir / "empty.brdb");
    brivel::test::writeFile(files.back(), "");
    files.push_back(makeSqlite("other.brdb", "CREATE TABLE t (x); INSERT INTO t VALUES (1);"));
    // Ours, but from a newer release.
    files.push_back(makeSqlite("newer.brdb", store::SqliteStore::schemaSQL(accountModel()) +
                                                 "PRAGMA user_version = 99;"));
    // Ours by its mark, but with a table missing.
    files.push_back(
        makeSqlite("partial.brdb", fmt::format("PRAGMA application_id = {}; CREATE TABLE Log (id);",
                                               store::SqliteStore::ApplicationID)));

    for (const auto& f : files) {
        const std::string before = brivel::test::readFile(f);
        Error e;
        EXPECT_FALSE(checkAccountStore(f, &e)) << f;
        EXPECT_FALSE(e.localizedDescription.empty());
        EXPECT_EQ(openAccountStore(f, &e), nullptr) << f;
        EXPECT_EQ(brivel::test::readFile(f), before) << f << " was changed";
        EXPECT_FALSE(std::filesystem::exists(f.string() + "-journal"));
    }
    Error e;
    ASSERT_FALSE(checkAccountStore(dir / "newer.brdb", &e));
    EXPECT_EQ(e.code, errors::FileReadTooNew);
    EXPECT_FALSE(openAccountStore(dir / "missing.brdb", &e));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.brdb"));
}

TEST(StoreFileCreation, RefusesToOverwriteAndMakesAnOpenableEmptyStore) {
    brivel::test::TempDir dir;
    auto p = dir / "Default.brdb";
    Error e;
    ASSERT_TRUE(createEmptyAccountStore(p, &e)) << e.message();
    EXPECT_TRUE(checkAccountStore(p, &e));
    auto before = brivel::test::readFile(p);
    EXPECT_FALSE(createEmptyAccountStore(p, &e));
    EXPECT_EQ(brivel::test::readFile(p), before);
    auto ctx = openAccountStore(p, &e);
    ASSERT_TRUE(ctx);
    EXPECT_TRUE(ctx->registeredObjects("Trade").empty());
    EXPECT_FALSE(ctx->hasChanges());
    // Nothing but the database is left behind.
    std::size_t entries = 0;
    for ([[maybe_unused]] auto& d : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
}
