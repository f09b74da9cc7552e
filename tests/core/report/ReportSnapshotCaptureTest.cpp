#include "ReportTestSupport.h"

#include "core/report/ReportGenerator.h"
#include "core/report/ReportSnapshotCapture.h"

#include <chrono>
#include <functional>

namespace brivel::report::test {
namespace {

const StrategyList Strategies{"Breakout", "Pullback"};

class ReportSnapshotCaptureTest : public ReportFixture {
protected:
    ReportSnapshotCaptureTest() {
        context().setFileURL("/accounts/B0W1/database.brdb");
        auto* log = addLog(localTime(2024, 5, 2, 9));
        addNote(log, localTime(2024, 5, 2, 10), "T7", "busy day", true);
        for (int i = 0; i < 300; ++i) {
            auto* trade = addTrade("T" + std::to_string(i), localTime(2024, 5, 2, 11), i, true);
            addOrder(trade, localTime(2024, 5, 2, 11), true, 10, "long", 100 + i);
            addOrder(trade, localTime(2024, 5, 2, 14), false, 10, "long", 101 + i);
        }
    }

    ReportRequest request(ReportType type) {
        return {type, "", localTime(2024, 5, 1), localTime(2024, 5, 3, 23, 59, 59)};
    }

    // The report as the account gives it now, on this thread.
    RunList live(const ReportRequest& r) {
        ReportFormatter formatter([] { return Strategies; }, &clock);
        return runsOf(generateReport(r, context(), formatter));
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

    FixedClock clock{localTime(2024, 5, 4, 12)};
    std::atomic<bool> notCancelled{false};
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
