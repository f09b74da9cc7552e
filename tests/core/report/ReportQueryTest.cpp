#include "ReportTestSupport.h"

#include "core/report/ReportQuery.h"

#include <algorithm>

namespace brivel::report::test {
namespace {

class ReportQueryTest : public ReportFixture {
protected:
    std::vector<store::ManagedObject*> query(std::string_view ticker, ReportType type, Date begin,
                                             Date end) {
        auto result = ReportQuery().queryWithTicker(ticker, type, begin, end, context());
        EXPECT_TRUE(result.has_value());
        return result.value_or(std::vector<store::ManagedObject*>{});
    }

    static std::vector<std::string> tickers(const std::vector<store::ManagedObject*>& records) {
        std::vector<std::string> out;
        for (auto* r : records)
            out.push_back(r->valueForKey("ticker").isNull() ? "(none)"
                                                            : r->valueForKey("ticker").toString());
        return out;
    }

    const Date day1 = localTime(2024, 3, 4, 9, 30);
    const Date day2 = localTime(2024, 3, 5, 9, 30);
    const Date day3 = localTime(2024, 3, 6, 9, 30);
};

TEST_F(ReportQueryTest, UnknownCodesLogOnceAndGiveNoResult) {
    addTrade("AAPL", day1);
    for (std::int32_t code : {0, -1, 6, 1000}) {
        m_log.clear();
        auto result = ReportQuery().queryWithTicker("AAPL", static_cast<ReportType>(code), day1,
                                                    day3, context());
        EXPECT_FALSE(result.has_value()) << code;
        EXPECT_EQ(m_log.lines(), std::vector<std::string>{"Attempt to query unknown report type"})
            << code;
    }
}

TEST_F(ReportQueryTest, EachCodeFetchesItsEntityInItsOrder) {
    auto* log2 = addLog(day2);
    auto* log1 = addLog(day1);
    auto* late = addNote(log1, day3, "MSFT", "late", true);
    auto* early = addNote(log1, day1, "AAPL", "early", false);
    auto* middle = addNote(log2, day2, "IBM", "middle", true);
    auto* tradeB = addTrade("B", day2);
    auto* tradeA = addTrade("A", day1);

    EXPECT_EQ(query("", ReportType::JournalReport, day1, day3),
              (std::vector<store::ManagedObject*>{log1, log2}));
    EXPECT_EQ(query("", ReportType::NotesReport, day1, day3),
              (std::vector<store::ManagedObject*>{early, middle, late}));
    EXPECT_EQ(query("", ReportType::FlaggedNotesReport, day1, day3),
              (std::vector<store::ManagedObject*>{middle, late}));
    EXPECT_EQ(query("", ReportType::TradesReport, day1, day3),
              (std::vector<store::ManagedObject*>{tradeA, tradeB}));
    EXPECT_EQ(query("", ReportType::TradeDetailsReport, day1, day3),
              (std::vector<store::ManagedObject*>{tradeA, tradeB}));
}

TEST_F(ReportQueryTest, BothEndsOfTheRangeAreIncludedAndABeginAfterTheEndFindsNothing) {
    auto* log = addLog(day1);
    auto* atBegin = addNote(log, day1, "A", "x");
    auto* atEnd = addNote(log, day2, "A", "y");
    addNote(log, day1.addingSeconds(-0.001), "A", "before");
    addNote(log, day2.addingSeconds(0.001), "A", "after");
    EXPECT_EQ(query("", ReportType::NotesReport, day1, day2),
              (std::vector<store::ManagedObject*>{atBegin, atEnd}));
    // A single instant as the whole range still finds what is stamped at it.
    EXPECT_EQ(query("", ReportType::NotesReport, day1, day1),
              (std::vector<store::ManagedObject*>{atBegin}));
    // A begin after the end finds nothing, and is no failure (query checks that there is a result).
    addTrade("A", day2);
    EXPECT_TRUE(query("", ReportType::NotesReport, day3, day1).empty());
    EXPECT_TRUE(query("A", ReportType::TradesReport, day3, day1).empty());
    EXPECT_TRUE(m_log.lines().empty());
}

TEST_F(ReportQueryTest, TickerIgnoresCaseAndDiacriticsWithWildcards) {
    auto* log = addLog(day1);
    for (const char* t : {"AAPL", "AMZN", "AA", "A", "MSFT", "CAFÉ", "ab"})
        addNote(log, day1, t, "c");
    addNote(log, day1, std::nullopt, "no ticker");

    // The whole value must match: no substring hits, and "*" never finds an absent ticker.
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"aapl", {"AAPL"}},
        {"A*", {"AAPL", "AMZN", "AA", "A", "ab"}},
        {"A?", {"AA", "ab"}},
        {"cafe", {"CAFÉ"}},
        {"Café", {"CAFÉ"}},
        {"APL", {}},
        {"*", {"AAPL", "AMZN", "AA", "A", "MSFT", "CAFÉ", "ab"}},
    };
    for (const auto& [pattern, expected] : cases)
        EXPECT_EQ(tickers(query(pattern, ReportType::NotesReport, day1, day1)), expected)
            << pattern;
}

TEST_F(ReportQueryTest, EmptyTickerTakesEveryNoteInStoreOrderAndJournalAndFlaggedIgnoreIt) {
    auto* log = addLog(day1);
    // One timestamp for all: equal keys keep the store's order.
    const std::vector<store::ManagedObject*> made{
        addNote(log, day1, "AAPL", "a", true), addNote(log, day1, "MSFT", "m", true),
        addNote(log, day1, std::nullopt, "none"), addNote(log, day1, "", "empty")};
    EXPECT_EQ(query("", ReportType::NotesReport, day1, day1), made);
    EXPECT_EQ(query("AAPL", ReportType::FlaggedNotesReport, day1, day1).size(), 2u);
    EXPECT_EQ(query("NOTHING", ReportType::JournalReport, day1, day1).size(), 1u);
}

TEST_F(ReportQueryTest, TradeReportsFilterOnTheTradeTicker) {
    addTrade("AAPL", day1);
    addTrade("aapl", day2);
    addTrade("MSFT", day2);
    addTrade(std::nullopt, day2);
    addTrade("AAPL", std::nullopt); // no date: outside every range
    EXPECT_EQ(tickers(query("AAPL", ReportType::TradesReport, day1, day3)),
              (std::vector<std::string>{"AAPL", "aapl"}));
    EXPECT_EQ(query("", ReportType::TradeDetailsReport, day1, day3).size(), 4u);
}

TEST(ReportTypeNames, CommandLineNamesAndCodes) {
    EXPECT_EQ(reportTypeFromName("flagged"), ReportType::FlaggedNotesReport);
    EXPECT_EQ(reportTypeFromName("details"), ReportType::TradeDetailsReport);
    EXPECT_EQ(reportTypeFromName("4"), ReportType::TradesReport);
    EXPECT_EQ(reportTypeFromName("0"), std::nullopt);
    EXPECT_EQ(reportTypeFromName("Trades"), std::nullopt);
    EXPECT_EQ(reportTypeFromName(""), std::nullopt);
    EXPECT_FALSE(isKnownReportType(static_cast<ReportType>(0)));
    EXPECT_TRUE(isKnownReportType(ReportType::TradeDetailsReport));
}

} // namespace
} // namespace brivel::report::test
