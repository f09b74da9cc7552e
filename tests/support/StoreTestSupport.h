#pragma once

#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/model/Trade.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace brivel::test {

// A fresh account database in a temporary folder, opened.
struct AccountFixture : ::testing::Test {
    TempDir dir;
    std::filesystem::path dbPath = dir / "database.brdb";
    std::unique_ptr<store::ObjectContext> ctx;

    void SetUp() override {
        Error e;
        ASSERT_TRUE(model::createEmptyAccountStore(dbPath, &e)) << e.message();
        ctx = model::openAccountStore(dbPath, &e);
        ASSERT_TRUE(ctx) << e.message();
    }

    std::unique_ptr<store::ObjectContext> reopen() {
        ctx.reset();
        Error e;
        auto c = model::openAccountStore(dbPath, &e);
        EXPECT_TRUE(c) << e.message();
        return c;
    }

    void save() {
        Error e;
        ASSERT_TRUE(ctx->save(&e)) << e.message();
    }

    template <class T> T* insert() { return T::insertInManagedObjectContext(ctx.get()); }
};

} // namespace brivel::test
