#include "ReportTestSupport.h"

#include "core/report/NotesIndex.h"
#include "core/report/ReportQuery.h"

#include <random>

namespace brivel::report::test {
namespace {

class NotesIndexTest : public ReportFixture {};

// The index stands in for the notes query of every trade details block: it must answer exactly
// what the query answers, in the same order, for any ticker text and window (notes without a
// timestamp included: neither finds them).
TEST_F(NotesIndexTest, AnswersWhatTheNotesQueryAnswers) {
    std::mt19937 random(20240304);
    const std::vector<std::optional<std::string>> tickers = {
        "AAPL", "aapl", "AMZN", "AB", "ÄB", "MSFT", "", std::nullopt, "Café", "CAFE"};
    const Date base = localTime(2024, 1, 1);
    auto* log = addLog(base);
    for (int i = 0; i < 600; ++i) {
        // Few distinct instants, so that many notes share a timestamp.
        Date stamp = base.addingSeconds(3600.0 * static_cast<double>(random() % 200));
        std::optional<Date> timestamp = random() % 25 == 0 ? std::nullopt : std::optional(stamp);
        addNote(log, timestamp, tickers[random() % tickers.size()], "c");
    }
    const NotesIndex index(context());
    const std::vector<std::string> patterns = {"",   "aapl", "A*", "?B",  "*",
                                               "ab", "cafe", "ZZ", "*S*T"};
    for (int i = 0; i < 300; ++i) {
        Date begin = base.addingSeconds(3600.0 * (static_cast<double>(random() % 220) - 10));
        Date end = begin.addingSeconds(3600.0 * (static_cast<double>(random() % 60) - 5));
        const std::string& pattern = patterns[random() % patterns.size()];
        auto expected =
            ReportQuery().queryWithTicker(pattern, ReportType::NotesReport, begin, end, context());
        ASSERT_TRUE(expected.has_value());
        auto found = index.notesWithTicker(pattern, begin, end);
        std::vector<store::ManagedObject*> got(found.begin(), found.end());
        ASSERT_EQ(got, *expected) << "pattern '" << pattern << "' window " << begin.secondsSince1970
                                  << " .. " << end.secondsSince1970;
    }
}

TEST_F(NotesIndexTest, IsASnapshotOfTheNotesWhenBuilt) {
    const Date t = localTime(2024, 1, 2, 10);
    auto* log = addLog(t);
    addNote(log, t, "AAPL", "first");
    const NotesIndex index(context());
    addNote(log, t, "AAPL", "added later");
    EXPECT_EQ(index.notesWithTicker("AAPL", t, t).size(), 1u);
    EXPECT_EQ(NotesIndex(context()).notesWithTicker("AAPL", t, t).size(), 2u);
}

} // namespace
} // namespace brivel::report::test
