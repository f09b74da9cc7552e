#include "core/platform/Clock.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/ProcessRunner.h"
#include "core/platform/Scheduler.h"
#include "core/platform/SystemLog.h"
#include "core/platform/Uuid.h"

#include <ctime>
#include <gtest/gtest.h>
#include <regex>
#include <set>

using namespace brivel;

TEST(ManualScheduler, RunsByDueTimeThenSchedulingOrderAndFollowsNewWork) {
    ManualScheduler s;
    std::vector<int> ran;
    s.schedule(0.02, [&] { ran.push_back(3); });
    s.schedule(0.01, [&] {
        ran.push_back(1);
        s.schedule(0.01, [&] { ran.push_back(4); });
    });
    s.schedule(0.01, [&] { ran.push_back(2); });
    EXPECT_EQ(s.runUntilIdle(), 4u);
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(s.pendingCount(), 0u);
}

TEST(Uuid, VersionFourUpperCaseAndFresh) {
    std::set<std::string> seen;
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    for (int i = 0; i < 200; ++i) {
        auto u = makeUuidString();
        EXPECT_TRUE(std::regex_match(u, form)) << u;
        EXPECT_TRUE(seen.insert(u).second);
    }
}

TEST(NotificationCenter, DeliversByNameAndObjectAndStopsAfterRemoval) {
    NotificationCenter nc;
    int a = 0, b = 0;
    int senderA = 0, senderB = 0;
    auto t1 = nc.addObserver("N", &senderA, [&](const std::string&, const void*) { ++a; });
    nc.addObserver("N", nullptr, [&](const std::string&, const void*) { ++b; });
    nc.post("N", &senderA);
    nc.post("N", &senderB);
    nc.post("Other", &senderA);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    nc.removeObserver(t1);
    nc.post("N", &senderA);
    EXPECT_EQ(a, 1);
}

TEST(PosixProcessRunner, ReportsExitStatusWorkingFolderAndMissingProgram) {
    PosixProcessRunner runner;
    auto ok = runner.run("/bin/sh", {"-c", "test \"$(pwd)\" = /tmp"}, std::string("/tmp"));
    EXPECT_TRUE(ok.started);
    EXPECT_EQ(ok.exitStatus, 0);
    auto fail = runner.run("/bin/sh", {"-c", "exit 3"}, std::nullopt);
    EXPECT_EQ(fail.exitStatus, 3);
    auto missing = runner.run("/nonexistent/tool", {}, std::nullopt);
    EXPECT_FALSE(missing.started);
}

TEST(Clock, SystemClockIsNowInSeconds) {
    const double before = static_cast<double>(std::time(nullptr));
    const double now = SystemClock().now().secondsSince1970;
    EXPECT_GE(now, before);
    EXPECT_LT(now, before + 5.0);
}

TEST(SystemLog, LinesGoToTheInstalledLogAndBackToStandardErrorAfterwards) {
    MemoryLog memory;
    setSystemLog(&memory);
    systemLog().log("Empty query array");
    setSystemLog(nullptr);
    EXPECT_EQ(memory.lines(), std::vector<std::string>{"Empty query array"});

    ::testing::internal::CaptureStderr();
    systemLog().log("CSVHandler: No trades to process");
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("CSVHandler: No trades to process"), std::string::npos) << err;
    EXPECT_EQ(memory.lines().size(), 1u);
}
