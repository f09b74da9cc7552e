// Two brivel-cli processes at a time on one account or one preferences file: every command that
// exits 0 is reflected, identifiers stay unique across entities, the file stays sound. Each
// scenario prints its counts. BRIVEL_STRESS_CLI runs them against another brivel-cli (an older
// build, to see them fail).
#include "AppTestSupport.h"
#include "support/CliRun.h"
#include "support/SqlFile.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <gmock/gmock.h>
#include <nlohmann/json.hpp>
#include <set>
#include <thread>

#ifndef BRIVEL_CLI_PATH
#error "BRIVEL_CLI_PATH must name the brivel-cli executable"
#endif

using brivel::test::CliRun;
using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// Under the address sanitizer every process start costs far more; fewer rounds still race the
// same way, and the optimised build runs them all.
#ifdef __SANITIZE_ADDRESS__
constexpr int RoundsDivisor = 4;
#else
constexpr int RoundsDivisor = 1;
#endif

std::string cliPath() {
    const char* other = std::getenv("BRIVEL_STRESS_CLI");
    return other && *other ? other : BRIVEL_CLI_PATH;
}

std::string integrity(const fs::path& database) {
    return brivel::test::querySqlOne(database, "PRAGMA integrity_check");
}

// Identifiers that records of two entities share.
std::vector<std::string> sharedIdentifiers(const fs::path& database) {
    std::string all;
    for (const char* t : {"Log", "Note", "PriceBarrier", "Trade", "Order", "ChartImage"})
        all += (all.empty() ? "" : " UNION ALL ") + std::string("SELECT id FROM \"") + t + "\"";
    return brivel::test::querySql(database,
                                  "SELECT id FROM (" + all + ") GROUP BY id HAVING count(*) > 1");
}

struct Outcome {
    std::string what; // the command's own description, for the checks
    std::string id;   // what it printed
    int status = -1;
    std::string err;
};

class ConcurrentWritersTest : public brivel::test::AppEnvironment {
protected:
    ConcurrentWritersTest() {
        EXPECT_EQ(cli({"accounts", "list"}).status, 0); // start-up preparation, once
    }
    CliRun cli(const std::vector<std::string>& args, const std::string& lane = "main") const {
        fs::path folder = scratch() / lane;
        fs::create_directories(folder);
        return brivel::test::runProgram(cliPath(), args, folder);
    }
    fs::path database() const { return support() / "B0W1" / "database.brdb"; }

    // Runs two lists of commands at once, one process after the other in each lane.
    using Command = std::pair<std::string, std::vector<std::string>>;
    std::vector<Outcome> runTwoLanes(const std::vector<Command>& a,
                                     const std::vector<Command>& b) const {
        std::vector<Outcome> outA, outB;
        auto lane = [this](const std::vector<Command>& commands, std::vector<Outcome>& out,
                           const std::string& name) {
            for (const auto& [what, args] : commands) {
                CliRun r = cli(args, name);
                out.push_back({what, r.id(), r.status, r.err});
            }
        };
        std::thread ta(lane, std::cref(a), std::ref(outA), "a");
        std::thread tb(lane, std::cref(b), std::ref(outB), "b");
        ta.join();
        tb.join();
        outA.insert(outA.end(), outB.begin(), outB.end());
        return outA;
    }

    // A command may fail only by saying the account stayed busy; returns how many did.
    static int expectOnlyBusyFailures(const std::vector<Outcome>& outcomes) {
        int failed = 0;
        for (const auto& o : outcomes) {
            if (o.status == 0)
                continue;
            ++failed;
            EXPECT_EQ(o.status, 1) << o.what;
            EXPECT_THAT(o.err, ::testing::HasSubstr("busy")) << o.what;
        }
        EXPECT_LE(failed * 20, static_cast<int>(outcomes.size())) << "more than 5% timed out";
        return failed;
    }
};

TEST_F(ConcurrentWritersTest, MixedWritesOfTwoProcessesAreAllKeptWithUniqueIdentifiers) {
    CliRun first = cli({"trades", "add", "-a", "B0W1", "--ticker", "SHARED"});
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string shared = first.id();
    constexpr int PerLane = 200 / RoundsDivisor;
    std::vector<Command> a, b;
    for (int i = 0; i < PerLane; ++i) {
        std::string tag = std::to_string(i);
        if (i % 2 == 0)
            a.push_back({"trade A" + tag, {"trades", "add", "-a", "B0W1", "--ticker", "A" + tag}});
        else
            a.push_back({"set", {"trades", "set", "-a", "B0W1", shared, "--ticker", "A" + tag}});
        if (i % 4 == 3)
            b.push_back({"trade B" + tag, {"trades", "add", "-a", "B0W1", "--ticker", "B" + tag}});
        else
            b.push_back({"order",
                         {"orders", "add", "-a", "B0W1", "--trade", shared, "--side",
                          i % 8 < 4 ? "buy" : "sell", "--shares", "1", "--price", "10"}});
    }
    auto outcomes = runTwoLanes(a, b);
    int failed = expectOnlyBusyFailures(outcomes);

    CliRun listed = cli({"trades", "list", "-a", "B0W1", "--json"});
    ASSERT_EQ(listed.status, 0) << listed.err;
    std::map<std::string, std::string> tickers; // trade id -> ticker
    std::set<std::string> orders;
    for (const auto& t : json::parse(listed.out)) {
        tickers[t["id"]] = t["ticker"].is_string() ? t["ticker"].get<std::string>() : "";
        for (const auto& o : t["orders"])
            orders.insert(o["id"].get<std::string>());
    }
    int missing = 0;
    for (const auto& o : outcomes) {
        if (o.status != 0 || o.what == "set")
            continue;
        bool kept = o.what == "order" ? orders.count(o.id) > 0
                                      : tickers.count(o.id) && tickers[o.id] == o.what.substr(6);
        missing += kept ? 0 : 1;
        EXPECT_TRUE(kept) << o.what << " " << o.id;
    }
    auto sharedIDs = sharedIdentifiers(database());
    EXPECT_TRUE(sharedIDs.empty())
        << sharedIDs.size() << " identifiers shared, first " << sharedIDs.front();
    EXPECT_EQ(integrity(database()), "ok");
    std::cout << "[ counts ] 2 x " << PerLane << " mixed writes: " << failed << " busy, " << missing
              << " lost, " << sharedIDs.size() << " identifiers shared\n";
}

TEST_F(ConcurrentWritersTest, ATickerSetWhileAnOrderIsAddedIsNeverUndone) {
    CliRun first = cli({"trades", "add", "-a", "B0W1", "--ticker", "T0"});
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string trade = first.id();
    constexpr int Pairs = 30;
    int lost = 0, failed = 0;
    for (int k = 1; k <= Pairs; ++k) {
        const std::string ticker = "T" + std::to_string(k);
        auto outcomes =
            runTwoLanes({{"set", {"trades", "set", "-a", "B0W1", trade, "--ticker", ticker}}},
                        {{"order",
                          {"orders", "add", "-a", "B0W1", "--trade", trade, "--side", "buy",
                           "--shares", "1", "--price", "1"}}});
        failed += expectOnlyBusyFailures(outcomes);
        if (outcomes[0].status != 0)
            continue;
        auto now =
            brivel::test::querySql(database(), "SELECT ticker FROM \"Trade\" WHERE id = " + trade);
        if (now != std::vector<std::string>{ticker}) {
            ++lost;
            ADD_FAILURE() << "pair " << k << ": the ticker reads "
                          << (now.empty() ? "nothing" : now.front());
        }
    }
    std::cout << "[ counts ] " << Pairs << " set/add pairs: " << lost << " tickers lost, " << failed
              << " busy\n";
}

TEST_F(ConcurrentWritersTest, NewAccountsAndStrategiesOfTwoProcessesAreAllListed) {
    constexpr int PerLane = RoundsDivisor > 1 ? 12 : 30;
    std::vector<Command> a, b;
    for (int i = 0; i < PerLane; ++i) {
        a.push_back({"account", {"accounts", "new", "--name", "A" + std::to_string(i)}});
        b.push_back({"account", {"accounts", "new", "--name", "B" + std::to_string(i)}});
        a.push_back({"strategy", {"strategies", "add", "SA" + std::to_string(i)}});
        b.push_back({"strategy", {"strategies", "add", "SB" + std::to_string(i)}});
    }
    const std::size_t strategiesBefore =
        json::parse(cli({"strategies", "list", "--json"}).out).size();
    auto outcomes = runTwoLanes(a, b);
    int failed = expectOnlyBusyFailures(outcomes);

    json accounts = json::parse(cli({"accounts", "list", "--json"}).out);
    std::set<std::string> listed;
    for (const auto& r : accounts)
        listed.insert(r["directory"].get<std::string>());
    int made = 0, strategiesMade = 0;
    for (const auto& o : outcomes) {
        if (o.status != 0)
            continue;
        if (o.what == "strategy") {
            ++strategiesMade;
            continue;
        }
        ++made;
        EXPECT_TRUE(listed.count(o.id)) << "account " << o.id << " was made but is not listed";
    }
    int orphans = 0;
    for (const auto& name : brivel::test::fileNames(support()))
        if (name.front() != '.' && !listed.count(name) && name != "B0W1") {
            ++orphans;
            ADD_FAILURE() << "folder " << name << " has no record";
        }
    json strategies = json::parse(cli({"strategies", "list", "--json"}).out);
    EXPECT_EQ(strategies.size(), strategiesBefore + static_cast<std::size_t>(strategiesMade));
    std::cout << "[ counts ] 2 x " << PerLane << " accounts new: " << made << " made, "
              << accounts.size() - 1 << " listed, " << orphans << " orphan folders; 2 x " << PerLane
              << " strategies add: " << strategiesMade << " made, "
              << strategies.size() - strategiesBefore << " listed; " << failed << " busy\n";
}

TEST_F(ConcurrentWritersTest, EveryBackupTakenWhileNotesAreWrittenHoldsASoundDatabase) {
    CliRun log = cli({"journal", "add", "-a", "B0W1", "--date", "2024-03-01"});
    ASSERT_EQ(log.status, 0) << log.err;
    constexpr int Notes = 60, Backups = 15;
    std::vector<Command> writes, backups;
    const std::string longComment(3000, 'x'); // notes that span pages
    for (int i = 0; i < Notes; ++i)
        writes.push_back({"note",
                          {"notes", "add", "-a", "B0W1", "--log", log.id(), "--ticker",
                           "N" + std::to_string(i), "--comment", longComment}});
    for (int i = 0; i < Backups; ++i)
        backups.push_back({"backup " + std::to_string(i),
                           {"accounts", "backup", "B0W1",
                            (scratch() / ("b" + std::to_string(i) + ".zip")).string()}});
    auto outcomes = runTwoLanes(writes, backups);
    expectOnlyBusyFailures(outcomes);
    int checked = 0, unsound = 0;
    for (int i = 0; i < Backups; ++i) {
        const fs::path archive = scratch() / ("b" + std::to_string(i) + ".zip");
        const fs::path extracted = scratch() / ("b" + std::to_string(i) + ".brdb");
        CliRun unzip =
            brivel::test::runProgram("/bin/sh",
                                     {"-c", "unzip -p '" + archive.string() +
                                                "' database.brdb > '" + extracted.string() + "'"},
                                     scratch());
        if (!fs::exists(archive))
            continue; // a backup that reported failure
        ++checked;
        std::string verdict = integrity(extracted);
        if (verdict != "ok") {
            ++unsound;
            ADD_FAILURE() << archive << ": " << verdict;
        }
    }
    EXPECT_GT(checked, 0);
    std::cout << "[ counts ] " << Backups << " backups during " << Notes
              << " note writes: " << checked << " archives, " << unsound
              << " failing integrity_check\n";
}

} // namespace
