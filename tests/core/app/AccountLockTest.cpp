#include "AppTestSupport.h"

#include "core/app/PreferencesLock.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace brivel::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using OtherHolder = test::LockHolderProcess;

class AccountLockTest : public ::testing::Test {
protected:
    fs::path folder() const { return m_temp.path() / "B0W1"; }
    test::TempDir m_temp;
};

TEST_F(AccountLockTest, AnOpenWindowRefusesAtOnceAndACommandIsWaitedForThenTimesOut) {
    struct Case {
        AccountLockHolder other;
        int expectedCode;
        const char* words;
        bool waits;
    };
    for (const Case& c :
         {Case{AccountLockHolder::Application, AccountLock::OpenInApplication,
               "is open in Brivel Trade Journal", false},
          Case{AccountLockHolder::Command, AccountLock::TimedOut, "is busy", true}}) {
        SCOPED_TRACE(static_cast<int>(c.other));
        OtherHolder other(folder(), c.other);
        EXPECT_EQ(AccountLock::holder(folder()), c.other);
        Error error;
        auto start = Clock::now();
        auto lock = AccountLock::acquireForCommand(folder(), &error, 400ms);
        auto took = Clock::now() - start;
        EXPECT_FALSE(lock);
        EXPECT_EQ(error.domain, AccountLock::ErrorDomain);
        EXPECT_EQ(error.code, c.expectedCode);
        EXPECT_NE(error.message().find(c.words), std::string::npos) << error.message();
        EXPECT_NE(error.message().find("\"B0W1\""), std::string::npos);
        EXPECT_EQ(error.message().find('\n'), std::string::npos);
        if (c.waits)
            EXPECT_GE(took, 400ms);
        else
            EXPECT_LT(took, 200ms);
        // The application itself waits for a command too, but not for another window.
        auto app = AccountLock::acquireForApplication(folder(), &error, 100ms);
        EXPECT_FALSE(app);
        EXPECT_FALSE(AccountLock::tryAcquire(folder()));
    }
}

TEST_F(AccountLockTest, AWaiterGetsTheLockWhenTheHolderFinishesOrDies) {
    for (bool dies : {false, true}) {
        SCOPED_TRACE(dies);
        OtherHolder other(folder(),
                          dies ? AccountLockHolder::Application : AccountLockHolder::Command);
        std::thread ender([&] {
            std::this_thread::sleep_for(150ms);
            if (dies)
                other.kill();
            else
                other.letGo();
        });
        Error error;
        // A dead window's announcement stays in the file; the waiter must not believe it.
        std::optional<AccountLock> lock;
        auto deadline = Clock::now() + 3s;
        while (!lock && Clock::now() < deadline)
            lock = dies ? AccountLock::acquireForCommand(folder(), &error, 50ms)
                        : AccountLock::acquireForCommand(folder(), &error, 3s);
        ender.join();
        ASSERT_TRUE(lock) << error.message();
        EXPECT_TRUE(AccountLock::heldByThisProcess(folder()));
        EXPECT_EQ(AccountLock::holder(folder()), AccountLockHolder::Command);
        lock.reset();
        EXPECT_FALSE(AccountLock::heldByThisProcess(folder()));
        EXPECT_EQ(AccountLock::holder(folder()), AccountLockHolder::Nobody);
    }
}

TEST_F(AccountLockTest, ASecondHolderInTheSameProcessIsExcludedAndMovesKeepTheLock) {
    auto first = AccountLock::acquireForApplication(folder(), nullptr);
    ASSERT_TRUE(first);
    Error error;
    EXPECT_FALSE(AccountLock::acquireForCommand(folder(), &error, 50ms));
    EXPECT_EQ(error.code, AccountLock::OpenInApplication);
    AccountLock moved = std::move(*first);
    first.reset();
    EXPECT_TRUE(moved.holds());
    EXPECT_FALSE(AccountLock::tryAcquire(folder()));
    moved.release();
    EXPECT_TRUE(AccountLock::tryAcquire(folder()));
}

TEST_F(AccountLockTest, ALockFileRemovedByCleanUpIsNotALockForTheNextHolder) {
    // Clean-up unlinks the file while holding it; whoever opened the old file before must not
    // come away holding a lock that excludes nobody.
    auto cleaner = AccountLock::tryAcquire(folder());
    ASSERT_TRUE(cleaner);
    std::optional<AccountLock> waiter;
    std::thread t([&] { waiter = AccountLock::acquireForCommand(folder(), nullptr, 2s); });
    std::this_thread::sleep_for(50ms);
    fs::remove(AccountLock::lockFilePath(folder()));
    cleaner.reset();
    t.join();
    ASSERT_TRUE(waiter);
    EXPECT_TRUE(fs::exists(AccountLock::lockFilePath(folder())));
    EXPECT_FALSE(AccountLock::tryAcquire(folder()));
    // The lock file sits beside the account folder.
    EXPECT_EQ(AccountLock::lockFilePath("/s/B0W1"), fs::path("/s/.B0W1.lock"));
    EXPECT_EQ(AccountLock::lockFilePath("/s/B0W1/"), fs::path("/s/.B0W1.lock"));
}

TEST_F(AccountLockTest, ThePreferencesLockExcludesAnotherHolderForABoundedTime) {
    auto first = PreferencesLock::acquire(m_temp.path(), nullptr);
    ASSERT_TRUE(first);
    Error error;
    auto start = Clock::now();
    EXPECT_FALSE(PreferencesLock::acquire(m_temp.path(), &error, 100ms));
    EXPECT_GE(Clock::now() - start, 100ms);
    EXPECT_NE(error.message().find("cannot be locked"), std::string::npos);
    first.reset();
    EXPECT_TRUE(PreferencesLock::acquire(m_temp.path(), nullptr, 100ms));
    EXPECT_FALSE(PreferencesLock::acquire(m_temp.path() / "missing", &error));
}

} // namespace
} // namespace brivel::app
