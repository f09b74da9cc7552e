#include "ReportTestSupport.h"

#include "core/report/ReportGenerator.h"
#include "core/report/ReportSnapshot.h"

namespace brivel::report::test {
namespace {

const StrategyList Strategies{"Breakout", "Pullback"};

class ReportSnapshotTest : public ReportFixture {
protected:
    ReportSnapshotTest() {
        // Images resolve next to the database, as in an account on disk; nothing is read here.
        context().setFileURL("/accounts/B0W1/database.brdb");
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

    ReportRequest request(ReportType type, std::string ticker = "") {
        return {type, std::move(ticker), localTime(2024, 5, 1), localTime(2024, 5, 3, 23, 59, 59)};
    }

    // The report as the account itself gives it, on this thread.
    RunList live(const ReportRequest& r) {
        ReportFormatter formatter([] { return Strategies; }, &clock);
        return runsOf(generateReport(r, context(), formatter));
    }

    FixedClock clock{localTime(2024, 5, 4, 12)};
    std::atomic<bool> notCancelled{false};
};

TEST_F(ReportSnapshotTest, BuildsExactlyTheReportTheAccountGives) {
    const ReportRequest requests[] = {
        request(ReportType::JournalReport),
        request(ReportType::NotesReport),
        request(ReportType::NotesReport, "a*"),
        request(ReportType::FlaggedNotesReport),
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

TEST_F(ReportSnapshotTest, NothingFoundGivesTheEmptyResultText) {
    struct Case {
        const char* what;
        ReportRequest r;
    } cases[] = {
        {"no report type", {ReportType{0}, "", localTime(2024, 5, 1), localTime(2024, 5, 4)}},
        {"begin after end",
         {ReportType::NotesReport, "", localTime(2024, 5, 4), localTime(2024, 5, 1)}},
        {"no such ticker",
         {ReportType::TradesReport, "ZZZ", localTime(2024, 5, 1), localTime(2024, 5, 4)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        m_log.clear();
        auto snapshot = ReportSnapshot::capture(c.r, context(), Strategies, clock.now());
        EXPECT_TRUE(snapshot.isEmpty());
        EXPECT_TRUE(m_log.contains("Empty query array"));
        auto built = snapshot.build(notCancelled);
        ASSERT_TRUE(built);
        EXPECT_EQ(built->string(), EmptyResultText);
        EXPECT_EQ(built->runs().at(0).style, TextStyle::Plain);
    }
}

} // namespace
} // namespace brivel::report::test
