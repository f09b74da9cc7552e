#pragma once

#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace brivel::test {

// Opens the account database at the path; a failure fails the test with the store's message.
inline std::unique_ptr<store::ObjectContext> openAccount(const std::filesystem::path& database) {
    Error e;
    auto c = model::openAccountStore(database, &e);
    EXPECT_TRUE(c) << e.message();
    return c;
}

// Makes an empty account database at the path (and its folder), then opens it.
inline std::unique_ptr<store::ObjectContext> createAccount(const std::filesystem::path& database) {
    std::filesystem::create_directories(database.parent_path());
    Error e;
    EXPECT_TRUE(model::createEmptyAccountStore(database, &e)) << e.message();
    return openAccount(database);
}

// A fresh account database in a temporary folder, opened.
struct AccountFixture : ::testing::Test {
    TempDir dir;
    std::filesystem::path dbPath = dir / "database.brdb";
    std::unique_ptr<store::ObjectContext> ctx;

    void SetUp() override {
        ctx = createAccount(dbPath);
        ASSERT_TRUE(ctx);
    }

    std::unique_ptr<store::ObjectContext> reopen() {
        ctx.reset();
        return openAccount(dbPath);
    }

    void save() {
        Error e;
        ASSERT_TRUE(ctx->save(&e)) << e.message();
    }

    template <class T> T* insert() { return T::insertInManagedObjectContext(ctx.get()); }
};

} // namespace brivel::test
