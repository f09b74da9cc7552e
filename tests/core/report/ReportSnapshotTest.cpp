#include "ReportTestSupport.h"

#include "core/report/ReportGenerator.h"
#include "core/report/ReportSnapshot.h"
#include "core/report/ReportSnapshotCapture.h"

#include <chrono>
#include <functional>

namespace brivel::report::test {
namespace {

const StrategyList Strategies{"Breakout", "Pullback"};

// An account whose images resolve next to its database, as on disk; nothing is read here.
class SnapshotFixture : public ReportFixture {
protected:
    SnapshotFixture() { context().setFileURL("/accounts/B0W1/database.brdb"); }

    ReportRequest request(ReportType type, std::string ticker = "") {
        return {type, std::move(ticker), localTime(2024, 5, 1), localTime(2024, 5, 3, 23, 59, 59)};
    }

    // The report as the account itself gives it now, on this thread.
    RunList live(const ReportRequest& r) {
        ReportFormatter formatter([] { return Strategies; }, &clock);
        return runsOf(generateReport(r, context(), formatter));
    }

    FixedClock clock{localTime(2024, 5, 4, 12)};
    std::atomic<bool> notCancelled{false};
};

class ReportSnapshotTest : public SnapshotFixture {
protected:
    ReportSnapshotTest() {
        for (int day = 1; day <= 3; ++day) {
            auto* log = addLog(localTime(2024, 5, day, 9));
            addBarrier(log, "NASDAQ", 15000 + day, 16000);
            addBarrier(log, "DOW", 38000, 39000 + day);
            addNote(log, localTime(2024, 5, day, 9, 30), "AAPL", "gap up", day == 2);
            addNote(log, localTime(2024, 5, day, 9, 30), "MSFT", std::nullopt);
            addNote(log, localTime(2024, 5, day, 15), std::nullopt, "close", true);
        }
        auto* win = addTrade("AAPL", localTime(2024, 5, 1, 10), 125.5, true, 1);
        addOrder(win, localTime(2024, 5, 1, 10), true, 100, "long", 180.25, 1);
        addOrder(win, localTime(2024, 5, 2, 11), false, 100, "long", 181.5, 1);
        auto* chart = model::ChartImage::insertInManagedObjectContext(&context());
        chart->setEntryImg(std::string("B0W1/entry.png"));
        chart->setExitImg(std::string("B0W1/exit.png"));
        win->setChartImg(chart);
        auto* open = addTrade("ABNB", localTime(2024, 5, 3, 10), 0, false, 7);
        addOrder(open, localTime(2024, 5, 3, 10), true, 10, std::nullopt, 150);
        addTrade(std::nullopt, localTime(2024, 5, 2, 12), -12.5, true, 0);
    }
};

TEST_F(ReportSnapshotTest, BuildsExactlyTheReportTheAccountGives) {
    const ReportRequest requests[] = {
        request(ReportType::JournalReport),
        request(ReportType::NotesReport),
        request(ReportType::NotesReport, "a*"),
        request(ReportType::FlaggedNotesReport, "zzz"), // the flagged notes of every ticker
        request(ReportType::TradesReport),
        request(ReportType::TradeDetailsReport),
        request(ReportType::TradeDetailsReport, "aapl"),
    };
    for (const auto& r : requests) {
        SCOPED_TRACE(static_cast<int>(r.type));
        auto snapshot = ReportSnapshot::capture(r, context(), Strategies, clock.now());
        auto built = snapshot.build(notCancelled);
        ASSERT_TRUE(built);
        EXPECT_FALSE(built->empty());
        EXPECT_EQ(runsOf(*built), live(r));
    }
}

TEST_F(ReportSnapshotTest, ShowsTheAccountAsItWasWhenCaptured) {
    const auto r = request(ReportType::TradeDetailsReport);
    const RunList before = live(r);
    auto snapshot = ReportSnapshot::capture(r, context(), Strategies, clock.now());
    // The user goes on working while the report is built.
    for (auto* note : context().registeredObjects("Note"))
        static_cast<model::Note*>(note)->setComment(std::string("edited"));
    context().deleteObject(context().registeredObjects("Trade").front());
    auto built = snapshot.build(notCancelled);
    ASSERT_TRUE(built);
    EXPECT_EQ(runsOf(*built), before);
    EXPECT_NE(live(r), before);
}

TEST_F(ReportSnapshotTest, ReportsProgressAndStopsWhenCancelled) {
    for (int i = 0; i < 120; ++i)
        addTrade("T" + std::to_string(i), localTime(2024, 5, 2, 13), 1, true);
    auto snapshot = ReportSnapshot::capture(request(ReportType::TradeDetailsReport), context(),
                                            Strategies, clock.now());
    ASSERT_EQ(snapshot.recordCount(), 123u);
    std::vector<std::size_t> seen;
    auto built = snapshot.build(notCancelled, [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 123u);
        seen.push_back(done);
    });
    ASSERT_TRUE(built);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 123u);

    std::atomic<bool> cancelled{false};
    auto again = ReportSnapshot::capture(request(ReportType::TradeDetailsReport), context(),
                                         Strategies, clock.now());
    auto stopped = again.build(cancelled, [&](std::size_t, std::size_t) { cancelled = true; });
    EXPECT_FALSE(stopped);
}

// Made at once or from a snapshot, a report of nothing is the plain empty text, and says so in
// the log.
TEST_F(ReportSnapshotTest, NothingFoundGivesTheEmptyResultText) {
    const RunList empty{{std::string(EmptyResultText), TextStyle::Plain}};
    const std::vector<std::string> emptyLog{"Empty query array"};
    const std::vector<std::string> unknownLog{"Attempt to query unknown report type",
                                              "Empty query array"};
    struct Case {
        const char* what;
        ReportRequest r;
        std::vector<std::string> log;
    } cases[] = {
        {"no report type",
         {ReportType{0}, "", localTime(2024, 5, 1), localTime(2024, 5, 4)},
         unknownLog},
        {"begin after end",
         {ReportType::NotesReport, "", localTime(2024, 5, 4), localTime(2024, 5, 1)},
         emptyLog},
        {"no such ticker",
         {ReportType::TradesReport, "ZZZ", localTime(2024, 5, 1), localTime(2024, 5, 4)},
         emptyLog},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_log.clear();
        EXPECT_EQ(live(c.r), empty);
        EXPECT_EQ(m_log.lines(), c.log);
        m_log.clear();
        auto snapshot = ReportSnapshot::capture(c.r, context(), Strategies, clock.now());
        EXPECT_TRUE(snapshot.isEmpty());
        EXPECT_TRUE(m_log.contains("Empty query array"));
        auto built = snapshot.build(notCancelled);
        ASSERT_TRUE(built);
        EXPECT_EQ(runsOf(*built), empty);
    }
}

class ReportSnapshotCaptureTest : public SnapshotFixture {
protected:
    ReportSnapshotCaptureTest() {
        auto* log = addLog(localTime(2024, 5, 2, 9));
        addNote(log, localTime(2024, 5, 2, 10), "T7", "busy day", true);
        for (int i = 0; i < 300; ++i) {
            auto* trade = addTrade("T" + std::to_string(i), localTime(2024, 5, 2, 11), i, true);
            addOrder(trade, localTime(2024, 5, 2, 11), true, 10, "long", 100 + i);
            addOrder(trade, localTime(2024, 5, 2, 14), false, 10, "long", 101 + i);
        }
    }

    // Captures with no time to spare, so that every slice copies the fewest records, calling
    // between after each slice that left the capture incomplete.
    RunList captureInSlices(const ReportRequest& r, const std::function<void(int)>& between,
                            std::size_t* restarts = nullptr) {
        ReportSnapshotCapture capture(r, context(), Strategies, clock.now());
        int slices = 0;
        while (!capture.captureSome(std::chrono::nanoseconds(0))) {
            EXPECT_LE(capture.recordsCopied(), capture.recordCount());
            between(slices++);
        }
        EXPECT_GT(slices, 1);
        if (restarts)
            *restarts = capture.restarts();
        auto built = capture.take().build(notCancelled);
        return built ? runsOf(*built) : RunList{};
    }
};

TEST_F(ReportSnapshotCaptureTest, InSlicesBuildsTheReportTheAccountGives) {
    for (auto type : {ReportType::TradesReport, ReportType::TradeDetailsReport}) {
        SCOPED_TRACE(static_cast<int>(type));
        std::size_t restarts = 99;
        EXPECT_EQ(captureInSlices(
                      request(type), [](int) {}, &restarts),
                  live(request(type)));
        EXPECT_EQ(restarts, 0u);
    }
}

// The user goes on working between slices: whatever changes, the report is the account at one
// moment, the one after the last change, and no record deleted meanwhile is read.
TEST_F(ReportSnapshotCaptureTest, AChangeBetweenSlicesStartsOverOnTheChangedAccount) {
    struct Case {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"a trade deleted",
         [this] { context().deleteObject(context().registeredObjects("Trade").back()); }},
        {"an order deleted",
         [this] { context().deleteObject(context().registeredObjects("Order").front()); }},
        {"a trade edited",
         [this] {
             static_cast<model::Trade*>(context().registeredObjects("Trade").front())
                 ->setTicker(std::string("EDITED"));
         }},
        {"a trade added", [this] { addTrade("NEW", localTime(2024, 5, 3, 9), 5, true); }},
        {"a note edited",
         [this] {
             static_cast<model::Note*>(context().registeredObjects("Note").front())
                 ->setComment(std::string("rewritten"));
         }},
        // Everything in the fixture is unsaved: the capture after it finds an empty account.
        {"a rollback", [this] { context().rollback(); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto r = request(ReportType::TradeDetailsReport);
        std::size_t restarts = 0;
        const RunList captured = captureInSlices(
            r,
            [&](int slice) {
                if (slice == 2)
                    c.change();
            },
            &restarts);
        EXPECT_EQ(restarts, 1u);
        EXPECT_EQ(captured, live(r));
    }
}

TEST_F(ReportSnapshotCaptureTest, TakeBeforeCompleteIsRefused) {
    ReportSnapshotCapture capture(request(ReportType::TradesReport), context(), Strategies,
                                  clock.now());
    EXPECT_THROW(capture.take(), std::logic_error);
    EXPECT_FALSE(capture.captureSome(std::chrono::nanoseconds(0)));
    EXPECT_EQ(capture.recordCount(), 300u);
    EXPECT_THROW(capture.take(), std::logic_error);
}

} // namespace
} // namespace brivel::report::test
