// Two writers with stale copies of one file, and files crafted with identifiers out of bounds:
// the file keeps every writer's own changes, refuses a shared identifier by itself, and a file
// with unusable identifiers is refused before anything is built from it.
#include "core/store/SqliteStore.h"
#include "support/SqlFile.h"
#include "support/StoreTestSupport.h"

#include <fmt/format.h>
#include <gmock/gmock.h>

using namespace brivel;
using namespace brivel::model;
using brivel::test::AccountFixture;
using ::testing::HasSubstr;

namespace {

class StoreIdentifiers : public AccountFixture {
protected:
    std::unique_ptr<store::ObjectContext> second() {
        Error e;
        auto c = openAccountStore(dbPath, &e);
        EXPECT_TRUE(c) << e.message();
        return c;
    }
    void sql(const std::string& text) { EXPECT_EQ(test::execSql(dbPath, text), ""); }
    std::string one(const std::string& query) { return test::querySqlOne(dbPath, query); }
};

TEST_F(StoreIdentifiers, ASaveWritesOnlyTheColumnsItChanged) {
    auto* trade = insert<Trade>();
    trade->setTicker(std::string("OLD"));
    save();
    const auto id = trade->objectID();
    auto other = second(); // loaded now, saved later: a stale copy of the ticker
    trade->setTicker(std::string("NEW"));
    save();
    auto* stale = static_cast<Trade*>(other->objectWithID(id));
    stale->setProfitValue(42);
    stale->setIsClosedValue(true);
    auto* order = Order::insertInManagedObjectContext(other.get());
    order->setDate(Date(10));
    stale->addOrderObject(order); // the trade's own row does not hold its orders
    Error e;
    ASSERT_TRUE(other->save(&e)) << e.message();
    other.reset();
    ctx = reopen();
    auto* back = static_cast<Trade*>(ctx->objectWithID(id));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->ticker(), "NEW");
    EXPECT_EQ(back->profitValue(), 42);
    EXPECT_TRUE(back->isClosedValue());
    EXPECT_EQ(back->order().size(), 1u);
}

TEST_F(StoreIdentifiers, TheFileItselfRefusesAnIdentifierAnotherEntityHolds) {
    auto other = second(); // both will hand out the same next identifier
    auto* trade = insert<Trade>();
    save();
    auto* log = Log::insertInManagedObjectContext(other.get());
    log->setDate(Date(10));
    ASSERT_EQ(log->objectID(), trade->objectID());
    Error e;
    EXPECT_FALSE(other->save(&e));
    EXPECT_THAT(e.message(), HasSubstr("identifier"));
    EXPECT_EQ(one("SELECT count(*) FROM \"Log\""), "0");
    EXPECT_EQ(one("PRAGMA integrity_check"), "ok");

    // A file of an earlier release has no such guard: its first save adds it.
    other.reset();
    ctx.reset();
    EXPECT_EQ(test::dropTriggers(dbPath), "");
    EXPECT_EQ(one("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"), "0");
    ctx = reopen();
    insert<Log>()->setDate(Date(20));
    save();
    EXPECT_EQ(one("SELECT count(*) FROM sqlite_master WHERE type = 'trigger'"),
              std::to_string(accountModel().entities().size()));
}

TEST_F(StoreIdentifiers, FilesWithIdentifiersOutOfBoundsAreRefusedAtOnce) {
    insert<Trade>();
    save();
    ctx.reset();
    EXPECT_EQ(test::dropTriggers(dbPath), "");
    struct Case {
        const char* sql;
        const char* undo;
        const char* words;
    };
    const Case cases[] = {
        {"UPDATE \"Trade\" SET id = 300000000", "UPDATE \"Trade\" SET id = 1",
         "identifier 300000000"},
        {"UPDATE \"Trade\" SET id = 0", "UPDATE \"Trade\" SET id = 1", "identifier 0"},
        {"UPDATE brivel_meta SET value = 9223372036854775807 WHERE key = 'next_id'",
         "UPDATE brivel_meta SET value = 2 WHERE key = 'next_id'", "next record identifier"},
        {"UPDATE brivel_meta SET value = 2.5 WHERE key = 'next_id'",
         "UPDATE brivel_meta SET value = 2 WHERE key = 'next_id'", "next record identifier"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        sql(c.sql);
        Error e;
        EXPECT_FALSE(openAccountStore(dbPath, &e));
        EXPECT_EQ(e.code, errors::FileReadCorrupt);
        EXPECT_THAT(e.message(), HasSubstr(c.words));
        sql(c.undo);
        EXPECT_TRUE(openAccountStore(dbPath, &e)) << e.message();
    }
}

TEST_F(StoreIdentifiers, AnAccountOutOfIdentifiersSaysSoInsteadOfOverflowing) {
    ctx.reset();
    sql(fmt::format("UPDATE brivel_meta SET value = {} WHERE key = 'next_id'",
                    store::SqliteStore::MaxObjectID));
    ctx = reopen();
    insert<Trade>(); // the last identifier there is
    save();
    insert<Trade>();
    Error e;
    EXPECT_FALSE(ctx->save(&e));
    EXPECT_THAT(e.message(), HasSubstr("used up"));
    ctx.reset();
    ctx = reopen(); // the account still opens with what was saved
    EXPECT_EQ(ctx->registeredObjects("Trade").size(), 1u);
}

} // namespace
