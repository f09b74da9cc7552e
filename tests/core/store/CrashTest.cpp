#include "support/StoreTestSupport.h"

#include <csignal>
#include <poll.h>
#include <random>
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace brivel;
using namespace brivel::model;

namespace {

constexpr int OrderCount = 200;

// Opened for writing, as the application opens it: a save cut short is rolled back first.
std::string integrityCheck(const std::filesystem::path& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        return "cannot open";
    sqlite3_stmt* st = nullptr;
    std::string result = "no answer";
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return result;
}

// The state the file holds: every order carries the same price k, and there are k notes.
long stateOf(const std::filesystem::path& path) {
    Error e;
    auto ctx = openAccountStore(path, &e);
    if (!ctx) {
        ADD_FAILURE() << e.message();
        return -1;
    }
    const auto& orders = ctx->registeredObjects("Order");
    if (orders.size() != OrderCount) {
        ADD_FAILURE() << "orders: " << orders.size();
        return -1;
    }
    double price = static_cast<Order*>(orders[0])->priceValue();
    for (auto* o : orders)
        if (static_cast<Order*>(o)->priceValue() != price) {
            ADD_FAILURE() << "a mix of two saved states";
            return -1;
        }
    auto notes = static_cast<long>(ctx->registeredObjects("Note").size());
    if (notes != static_cast<long>(price)) {
        ADD_FAILURE() << "notes " << notes << " in state " << price;
        return -1;
    }
    return notes;
}

// What the writer printed up to its first line break (its first save), waiting at most a minute.
std::string readFirstLine(int fd) {
    std::string out;
    char buf[256];
    while (out.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 60'000) <= 0)
            break;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

} // namespace

TEST(CrashSafety, KilledSavesLeaveExactlyOneSavedState) {
    brivel::test::TempDir dir;
    auto db = dir / "database.brdb";
    {
        Error e;
        ASSERT_TRUE(createEmptyAccountStore(db, &e));
        auto ctx = openAccountStore(db, &e);
        auto* log = Log::insertInManagedObjectContext(ctx.get());
        log->setDate(Date(0));
        auto* trade = Trade::insertInManagedObjectContext(ctx.get());
        for (int i = 0; i < OrderCount; ++i) {
            auto* o = Order::insertInManagedObjectContext(ctx.get());
            o->setDate(Date(i));
            o->setPriceValue(0);
            trade->addOrderObject(o);
        }
        ASSERT_TRUE(ctx->save(&e)) << e.message();
    }
    std::mt19937 rng(12345);
    // Counted from the writer's first reported save, so that a slow build (a sanitizer's) is
    // killed in the middle of its saves as well, not while it is still opening the account.
    std::uniform_int_distribution<int> delayMs(0, 30);
    long lastReported = 0;
    int kills = 0, midWork = 0;
    for (int round = 0; round < 120; ++round) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            execl(BRIVEL_CRASH_WRITER, BRIVEL_CRASH_WRITER, db.c_str(), nullptr);
            _exit(127);
        }
        close(fds[1]);
        std::string out = readFirstLine(fds[0]);
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs(rng)));
        kill(pid, SIGKILL);
        int status = 0;
        waitpid(pid, &status, 0);
        if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            ++kills;
        char buf[4096];
        ssize_t n;
        while ((n = read(fds[0], buf, sizeof buf)) > 0)
            out.append(buf, static_cast<std::size_t>(n));
        close(fds[0]);
        ASSERT_NE(out.find('\n'), std::string::npos)
            << "the writer never got to save, round " << round;
        // The last whole line is the last save the writer reported.
        const auto end = out.find_last_of('\n');
        const auto start = out.find_last_of('\n', end - 1);
        lastReported =
            std::stol(out.substr(start == std::string::npos ? 0 : start + 1, end - start));

        ASSERT_EQ(integrityCheck(db), "ok") << "round " << round;
        long state = stateOf(db);
        ASSERT_GE(state, lastReported) << "a reported save was lost, round " << round;
        // The kill may land between the commit and its report.
        ASSERT_LE(state, lastReported + 1) << "round " << round;
        if (state == lastReported + 1)
            ++midWork;
        lastReported = state;
        EXPECT_FALSE(std::filesystem::exists(dir / "database.brdb-wal"));
    }
    EXPECT_GE(kills, 100);
    RecordProperty("kills", kills);
    RecordProperty("killedAfterCommitBeforeReport", midWork);
}
