#include "core/store/SqliteStore.h"
#include "support/StoreTestSupport.h"

#include <fmt/format.h>
#include <random>
#include <sqlite3.h>

using namespace brivel;
using namespace brivel::model;
using brivel::test::AccountFixture;

class StoreFile : public AccountFixture {};

TEST_F(StoreFile, EveryAttributeSurvivesSaveAndReopenAbsentValuesIncluded) {
    auto* log = insert<Log>();
    log->setDate(Date(1700000000.25));
    auto* note = insert<Note>();
    note->setTimestamp(Date(1700000001.5));
    note->setTicker(std::string("AAPL"));
    note->setComment(std::string("Ünïcode, \"quotes\"\nand lines"));
    note->setFlagValue(true);
    log->addNoteObject(note);
    auto* emptyNote = insert<Note>();
    emptyNote->setTimestamp(Date(0));
    log->addNoteObject(emptyNote);
    auto* barrier = insert<PriceBarrier>();
    barrier->setTicker(std::string("DOW"));
    barrier->setSupportValue(33000.5);
    log->addPriceBarrierObject(barrier);

    auto* trade = insert<Trade>();
    trade->setTicker(std::string("MSFT"));
    trade->setDate(Date(1700000100));
    trade->setTradeStrategyValue(3);
    trade->setProfitValue(-12.5);
    trade->setProfitRatioValue(0.25);
    trade->setIsClosedValue(true);
    trade->setBuyToOpenValue(false);
    auto* order = insert<Order>();
    order->setDate(Date(1700000200));
    order->setDesc(std::string(""));
    order->setIsBuyValue(true);
    order->setNumSharesValue(2147483647);
    order->setPriceValue(123.456789);
    order->setCommissionValue(0.1);
    order->setReason(std::string("breakout"));
    trade->addOrderObject(order);
    auto* image = insert<ChartImage>();
    image->setEntryImg(std::string("B0W1/A.png"));
    trade->setChartImg(image);
    const auto logID = log->objectID(), tradeID = trade->objectID(), orderID = order->objectID(),
               emptyID = emptyNote->objectID();
    save();
    EXPECT_FALSE(ctx->hasChanges());

    ctx = reopen();
    auto* l = static_cast<Log*>(ctx->objectWithID(logID));
    ASSERT_TRUE(l);
    EXPECT_EQ(l->date(), Date(1700000000.25));
    ASSERT_EQ(l->note().size(), 2u);
    ASSERT_EQ(l->priceBarrier().size(), 1u);
    auto* pb = l->priceBarrier()[0];
    EXPECT_EQ(pb->ticker(), "DOW");
    EXPECT_EQ(pb->support(), 33000.5);
    EXPECT_FALSE(pb->resistance().has_value());
    EXPECT_EQ(pb->resistanceValue(), 0.0);
    auto* e = static_cast<Note*>(ctx->objectWithID(emptyID));
    EXPECT_FALSE(e->ticker().has_value());
    EXPECT_FALSE(e->comment().has_value());
    EXPECT_FALSE(e->flag().has_value());
    EXPECT_EQ(e->log(), l);
    for (auto* n : l->note()) {
        if (n == e)
            continue;
        EXPECT_EQ(n->comment(), "Ünïcode, \"quotes\"\nand lines");
        EXPECT_TRUE(n->flagValue());
        EXPECT_EQ(n->timestamp(), Date(1700000001.5));
    }
    auto* t = static_cast<Trade*>(ctx->objectWithID(tradeID));
    ASSERT_TRUE(t);
    EXPECT_EQ(t->ticker(), "MSFT");
    EXPECT_EQ(t->tradeStrategyValue(), 3);
    EXPECT_EQ(t->profitValue(), -12.5);
    EXPECT_EQ(t->profitRatioValue(), 0.25);
    EXPECT_TRUE(t->isClosedValue());
    EXPECT_EQ(t->buyToOpen(), std::optional<bool>(false));
    ASSERT_TRUE(t->chartImg());
    EXPECT_EQ(t->chartImg()->entryImg(), "B0W1/A.png");
    EXPECT_FALSE(t->chartImg()->exitImg().has_value());
    auto* o = static_cast<Order*>(ctx->objectWithID(orderID));
    ASSERT_TRUE(o);
    EXPECT_EQ(o->trade(), t);
    EXPECT_EQ(o->date(), Date(1700000200));
    EXPECT_EQ(o->desc(), std::string()); // empty, not absent
    EXPECT_TRUE(o->isBuyValue());
    EXPECT_EQ(o->numSharesValue(), 2147483647);
    EXPECT_EQ(o->priceValue(), 123.456789);
    EXPECT_EQ(o->commissionValue(), 0.1);
    EXPECT_EQ(o->reason(), "breakout");
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
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(dbPath.c_str(), &db), SQLITE_OK);
    auto intPragma = [&](const char* sql) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        sqlite3_step(st);
        auto v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return v;
    };
    EXPECT_EQ(intPragma("PRAGMA application_id"), store::SqliteStore::ApplicationID);
    EXPECT_EQ(intPragma("PRAGMA user_version"), store::SqliteStore::SchemaVersion);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "PRAGMA journal_mode", -1, &st, nullptr);
    sqlite3_step(st);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "delete");
    sqlite3_finalize(st);
    sqlite3_close(db);
}

TEST(StoreFileRefusal, ForeignFilesAreRefusedAndLeftUntouched) {
    brivel::test::TempDir dir;
    std::mt19937 rng(7);
    std::string random(4096, '\0');
    for (auto& c : random)
        c = static_cast<char>(rng());

    auto makeSqlite = [&](const std::string& name, const std::string& sql) {
        auto p = dir / name;
        sqlite3* db = nullptr;
        sqlite3_open(p.c_str(), &db);
        sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return p;
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
