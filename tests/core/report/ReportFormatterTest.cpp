#include "ReportTestSupport.h"

#include "core/platform/Clock.h"
#include "core/report/PlainTextRenderer.h"
#include "core/report/ReportFormatter.h"
#include "support/TempDir.h"

namespace brivel::report::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

const std::string NNBSP = "\u202f"; // what CLDR puts between the time and AM/PM
constexpr double Day = 86400;

class TradeReportTest : public ReportFixture {
protected:
    TradeReportTest()
        : formatter(
              [this] {
                  ++strategyReads;
                  return strategies;
              },
              &clock) {}

    StyledText report(const std::vector<store::ManagedObject*>& records, ReportType type) {
        return formatter.newScreenReport(records, type, context());
    }
    // The lines of a report's plain text.
    static std::vector<std::string> lines(const StyledText& text) {
        std::vector<std::string> out;
        std::string all = renderPlainText(text);
        std::size_t start = 0;
        for (std::size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1)
            out.push_back(all.substr(start, nl - start));
        if (start < all.size())
            out.push_back(all.substr(start));
        return out;
    }
    // The lines that begin with prefix, without it.
    static std::vector<std::string> after(const std::string& prefix, const StyledText& text) {
        std::vector<std::string> out;
        for (auto& line : lines(text))
            if (line.rfind(prefix, 0) == 0)
                out.push_back(line.substr(prefix.size()));
        return out;
    }

    StrategyList strategies{"Breakout", "Swing", std::nullopt};
    int strategyReads = 0;
    FixedClock clock{localTime(2024, 3, 20, 12)};
    ReportFormatter formatter;
};

// Every report is made by one formatter, the trade reports with a strategy list and a clock.
using ReportFormatterTest = TradeReportTest;

// --- the five formatters -------------------------------------------------------------------

TEST_F(ReportFormatterTest, NumberFormattersGroupThousandsAndRound) {
    EXPECT_EQ(formatter.numberFormatter(1000000), "1,000,000");
    EXPECT_EQ(formatter.numberFormatter(0), "0");
    EXPECT_EQ(formatter.numberFormatter(1234.4), "1,234");
    EXPECT_EQ(formatter.numberFormatter(1234.6), "1,235");
    EXPECT_EQ(formatter.numberFormatter(-4321), "-4,321");
    // The decimal formatter: two fraction digits, and no integer digit below 1.
    EXPECT_EQ(formatter.decimalNumberFormatter(0.3), ".30");
    EXPECT_EQ(formatter.decimalNumberFormatter(0), ".00");
    EXPECT_EQ(formatter.decimalNumberFormatter(-12.5), "-12.50");
    EXPECT_EQ(formatter.decimalNumberFormatter(1250), "1,250.00");
    EXPECT_EQ(formatter.decimalNumberFormatter(19.9), "19.90");
    EXPECT_EQ(formatter.decimalNumberFormatter(1234567.891), "1,234,567.89");
}

TEST_F(ReportFormatterTest, DateFormattersUseTheirStylesInTheLocalTimeZone) {
    const Date monday = localTime(2024, 1, 15, 9, 30);
    EXPECT_EQ(formatter.longDateFormatter(monday), "Monday - January 15, 2024");
    EXPECT_EQ(formatter.dateOnlyFormatter(monday), "1/15/24");
    EXPECT_EQ(formatter.dateFormatter(monday), "1/15/24, 9:30" + NNBSP + "AM");
    // 03:00 UTC on the 15th is still the evening of the 14th in New York.
    const Date utcEarly(1705287600); // 2024-01-15T03:00:00Z
    EXPECT_EQ(formatter.dateOnlyFormatter(utcEarly), "1/14/24");
    EXPECT_EQ(formatter.dateFormatter(utcEarly), "1/14/24, 10:00" + NNBSP + "PM");
}

TEST_F(ReportFormatterTest, FormattersFollowTheEnvironmentWhenConfigured) {
    const Date utcNoon(1705320000); // 2024-01-15T12:00:00Z
    {
        brivel::test::ScopedEnv locale("LC_ALL", "de_DE.UTF-8");
        brivel::test::ScopedEnv zone("TZ", "Asia/Tokyo");
        ReportFormatter german;
        EXPECT_EQ(german.numberFormatter(1000000), "1.000.000");
        EXPECT_EQ(german.decimalNumberFormatter(-12.5), "-12,50");
        EXPECT_EQ(german.longDateFormatter(utcNoon), "Montag - Januar 15, 2024");
        EXPECT_EQ(german.dateFormatter(utcNoon), "15.01.24, 21:00");
        // Configured once: a later change of the environment waits for setAttributes.
        {
            brivel::test::ScopedEnv back("TZ", "America/New_York");
            EXPECT_EQ(german.dateFormatter(utcNoon), "15.01.24, 21:00");
            german.setAttributes();
            EXPECT_EQ(german.dateFormatter(utcNoon), "15.01.24, 07:00");
        }
    }
    EXPECT_EQ(formatter.dateFormatter(utcNoon), "1/15/24, 7:00" + NNBSP + "AM");
}

// --- the note line and the note lists --------------------------------------------------------

TEST_F(ReportFormatterTest, NotesInTheGivenOrderFlaggedOnesHighlightedInTheNotesReportOnly) {
    const Date t = localTime(2024, 1, 15, 9, 30);
    auto* log = addLog(t);
    auto* flagged = addNote(log, t, "AAPL", "broke out", true);
    auto* plain = addNote(log, t.addingSeconds(60), "MSFT", "quiet", false);

    // The list keeps the order it is given and adds nothing else.
    auto notes = report({plain, flagged}, ReportType::NotesReport);
    EXPECT_THAT(runsOf(notes),
                ElementsAre(Pair("1/15/24, 9:31" + NNBSP + "AM: MSFT - quiet\n", TextStyle::Note),
                            Pair("1/15/24, 9:30" + NNBSP + "AM: AAPL - broke out\n",
                                 TextStyle::FlaggedNote)));

    auto flaggedOnly = report({flagged}, ReportType::FlaggedNotesReport);
    EXPECT_THAT(
        runsOf(flaggedOnly),
        ElementsAre(Pair("1/15/24, 9:30" + NNBSP + "AM: AAPL - broke out\n", TextStyle::Note)));
}

TEST_F(ReportFormatterTest, EmptyRecordsUnknownCodesAndForeignRecordsGiveEmptyText) {
    EXPECT_TRUE(report({}, ReportType::JournalReport).empty());
    auto* log = addLog(localTime(2024, 1, 15));
    auto* note = addNote(log, localTime(2024, 1, 15), "A", "a");
    EXPECT_TRUE(report({note}, static_cast<ReportType>(0)).empty());
    EXPECT_TRUE(report({note}, static_cast<ReportType>(9)).empty());
    EXPECT_TRUE(m_log.lines().empty()); // the query logs unknown codes, not the formatter
    // Records that are not what the type lists are passed over instead of misread.
    EXPECT_TRUE(report({note, nullptr}, ReportType::TradesReport).empty());
    EXPECT_TRUE(report({log}, ReportType::NotesReport).empty());
}

// --- the journal layout ----------------------------------------------------------------------

TEST_F(ReportFormatterTest, JournalEntryRunsInOrderWithBarriersByTicker) {
    const Date day = localTime(2024, 1, 15, 8);
    auto* log = addLog(day);
    addBarrier(log, "spx", 1, 2); // lower case sorts last
    addBarrier(log, "NASDAQ", 15000, 15500.4);
    addBarrier(log, "Zed", 1, 2);
    addBarrier(log, "DOW", 1000000, 0);
    addNote(log, localTime(2024, 1, 15, 11), "MSFT", "second", true);
    addNote(log, localTime(2024, 1, 15, 9, 30), "AAPL", "first");

    auto text = report({log}, ReportType::JournalReport);
    EXPECT_THAT(
        runsOf(text),
        ElementsAre(Pair("Monday - January 15, 2024\n", TextStyle::Date),
                    Pair("DOW", TextStyle::HeaderKey),
                    Pair(" 1,000,000 /  0    ", TextStyle::HeaderValue),
                    Pair("NASDAQ", TextStyle::HeaderKey),
                    Pair(" 15,000 /  15,500    ", TextStyle::HeaderValue),
                    Pair("Zed", TextStyle::HeaderKey), Pair(" 1 /  2    ", TextStyle::HeaderValue),
                    Pair("spx", TextStyle::HeaderKey), Pair(" 1 /  2    ", TextStyle::HeaderValue),
                    Pair("\n", TextStyle::HeaderValue),
                    Pair("1/15/24, 9:30" + NNBSP + "AM: AAPL - first\n", TextStyle::Note),
                    Pair("1/15/24, 11:00" + NNBSP + "AM: MSFT - second\n", TextStyle::FlaggedNote),
                    Pair("\n", TextStyle::Date)));
}

TEST_F(ReportFormatterTest, JournalPrintsAbsentValuesAndStillCompletes) {
    auto* log = addLog(std::nullopt);
    addBarrier(log, std::nullopt, std::nullopt, 12.4);
    addNote(log, std::nullopt, "AAPL", "undated");
    auto* second = addLog(localTime(2024, 1, 16));
    auto text = report({log, second}, ReportType::JournalReport);
    EXPECT_THAT(runsOf(text),
                ElementsAre(Pair("!!! MISSING DATE !!!\n", TextStyle::Date),
                            Pair("!!! MISSING TICKER !!!", TextStyle::HeaderKey),
                            Pair(" 0 /  12    ", TextStyle::HeaderValue),
                            Pair("\n", TextStyle::HeaderValue),
                            Pair("!!! MISSING DATE !!!: AAPL - undated\n", TextStyle::Note),
                            Pair("\n", TextStyle::Date),
                            Pair("Tuesday - January 16, 2024\n", TextStyle::Date),
                            Pair("\n", TextStyle::HeaderValue), Pair("\n", TextStyle::Date)));
}

// --- the summary -----------------------------------------------------------------------------

TEST_F(TradeReportTest, WinningTradeBlockRunsInOrder) {
    auto* trade = addTrade("AAPL", localTime(2024, 3, 4, 9, 45), 1250, true, 1);
    addOrder(trade, localTime(2024, 3, 6, 15), false, 100, "long", 25.0, 9.95);
    addOrder(trade, localTime(2024, 3, 4, 9, 45), true, 100, "long", 12.5, 9.95);

    EXPECT_THAT(runsOf(report({trade}, ReportType::TradesReport)),
                ElementsAre(Pair("AAPL\n", TextStyle::Date),
                            Pair("Net Profit: $1,250.00\n", TextStyle::GainProfit),
                            Pair("3/4/24 - 3/6/24\n", TextStyle::HeaderValue),
                            Pair("Strategy: ", TextStyle::BoldNote),
                            Pair("Swing\n", TextStyle::Note),
                            Pair("Orders: \n", TextStyle::BoldNote),
                            Pair("Bought 100 long @ $12.50\n", TextStyle::Note),
                            Pair("Sold 100 long @ $25.00\n", TextStyle::Note),
                            Pair("Commissions:", TextStyle::BoldNote),
                            Pair(" $19.90\n", TextStyle::Note), Pair("\n", TextStyle::Date)));
}

TEST_F(TradeReportTest, ProfitBackgroundFollowsTheSign) {
    auto* open = addTrade("OPEN", localTime(2024, 3, 4), 0, false);
    auto* loss = addTrade("LOSS", localTime(2024, 3, 5), -12.5, true);
    auto* gain = addTrade("GAIN", localTime(2024, 3, 6), 0.01, true);
    auto text = report({open, loss, gain}, ReportType::TradesReport);
    std::vector<std::pair<std::string, TextStyle>> profits;
    for (auto& run : runsOf(text))
        if (run.first.rfind("Net Profit", 0) == 0)
            profits.push_back(run);
    EXPECT_THAT(profits, ElementsAre(Pair("Net Profit: $.00\n", TextStyle::HeaderKey),
                                     Pair("Net Profit: $-12.50\n", TextStyle::LossProfit),
                                     Pair("Net Profit: $.01\n", TextStyle::GainProfit)));
}

TEST_F(TradeReportTest, CommissionsAreSummedWithoutLosingCents) {
    auto* small = addTrade("SMALL", localTime(2024, 3, 4));
    for (int i = 0; i < 3; ++i)
        addOrder(small, localTime(2024, 3, 4, 10 + i), true, 1, "x", 1, 0.1);
    // Summed in single precision these two would print 500,000.09.
    auto* large = addTrade("LARGE", localTime(2024, 3, 5));
    addOrder(large, localTime(2024, 3, 5, 10), true, 1, "x", 1, 250000.05);
    addOrder(large, localTime(2024, 3, 5, 11), false, 1, "x", 1, 250000.05);

    EXPECT_EQ(after("Commissions: ", report({small, large}, ReportType::TradesReport)),
              (std::vector<std::string>{"$.30", "$500,000.10"}));
}

TEST_F(TradeReportTest, SharesPrintWithoutGroupingOrdersByDateAndMissingTextIsMarked) {
    auto* trade = addTrade(std::nullopt, localTime(2024, 3, 4));
    addOrder(trade, localTime(2024, 3, 8), false, 12000, std::nullopt, 1234.5);
    addOrder(trade, localTime(2024, 3, 4), true, 10000, "a", 0.5);
    addOrder(trade, localTime(2024, 3, 6), true, 2000, "b", 1);
    auto all = lines(report({trade}, ReportType::TradesReport));
    ASSERT_GE(all.size(), 8u);
    EXPECT_EQ(all[0], "!!! MISSING TICKER !!!");
    EXPECT_EQ(all[2], "3/4/24 - 3/8/24");
    EXPECT_EQ(all[5], "Bought 10000 a @ $.50");
    EXPECT_EQ(all[6], "Bought 2000 b @ $1.00");
    EXPECT_EQ(all[7], "Sold 12000 !!! MISSING DESCRIPTION !!! @ $1,234.50");
}

// A range of one day shows its date twice, as one order's does.
TEST_F(TradeReportTest, TradeWithoutOrdersShowsItsOwnDateAndNoCommissions) {
    auto* trade = addTrade("NEW", localTime(2024, 3, 7, 14));
    EXPECT_EQ(
        lines(report({trade}, ReportType::TradesReport)),
        (std::vector<std::string>{"NEW", "Net Profit: $.00", "3/7/24 - 3/7/24",
                                  "Strategy: Breakout", "Orders: ", "Commissions: $.00", ""}));
}

TEST_F(TradeReportTest, StrategyLookupPositionsOutsideTheListAndReadingAnew) {
    auto* first = addTrade("A", localTime(2024, 3, 4), 0, false, 0);
    auto* unnamed = addTrade("B", localTime(2024, 3, 5), 0, false, 2);
    auto* beyond = addTrade("C", localTime(2024, 3, 6), 0, false, 3);
    auto* negative = addTrade("D", localTime(2024, 3, 7), 0, false, -1);
    auto* absent = addTrade("E", localTime(2024, 3, 8));
    absent->setTradeStrategy(std::nullopt);
    const std::vector<store::ManagedObject*> all{first, unnamed, beyond, negative, absent};
    const std::string missing = "!!! MISSING STRATEGY !!!";
    EXPECT_EQ(after("Strategy: ", report(all, ReportType::TradesReport)),
              (std::vector<std::string>{"Breakout", missing, missing, missing, "Breakout"}));
    // The list is read anew for every report.
    strategies[0] = "Momentum";
    EXPECT_EQ(after("Strategy: ", report({first}, ReportType::TradesReport)),
              std::vector<std::string>{"Momentum"});
    EXPECT_EQ(strategyReads, 2);
    // Without any strategy list the report is still made.
    ReportFormatter bare;
    EXPECT_EQ(
        after("Strategy: ", bare.newScreenReport({first}, ReportType::TradesReport, context())),
        std::vector<std::string>{missing});
}

// --- the details -----------------------------------------------------------------------------

class TradeDetailsTest : public TradeReportTest {
protected:
    // Notes of the journal around a trade entered 3/5 10:00, in the window 3/4 10:00 .. 3/8 10:00.
    void SetUp() override {
        log = addLog(localTime(2024, 3, 4));
        entry = localTime(2024, 3, 5, 10);
        trade = addTrade("AAPL", entry, 500, true);
        addOrder(trade, entry, true, 100, "long", 10);
        addOrder(trade, localTime(2024, 3, 7, 10), false, 100, "long", 15);
    }
    std::vector<std::string> noteLines(const StyledText& text) {
        std::vector<std::string> out;
        for (auto& line : lines(text))
            if (line.find(" - ") != std::string::npos && line.find(": ") != std::string::npos)
                out.push_back(line);
        return out;
    }
    model::Log* log = nullptr;
    model::Trade* trade = nullptr;
    Date entry;
};

TEST_F(TradeDetailsTest, NotesBeforeAndAfterTheEntryWithTheEntryNoteTwice) {
    addNote(log, localTime(2024, 3, 5, 9), "aapl", "before");
    addNote(log, entry, "AAPL", "at entry", true);
    addNote(log, localTime(2024, 3, 5, 11), "AAPL", "after, same day");
    addNote(log, localTime(2024, 3, 5, 9, 30), "MSFT", "other ticker");

    auto text = report({trade}, ReportType::TradeDetailsReport);
    auto runs = runsOf(text);
    // The summary is that of the trades report, up to and including the commissions.
    const std::size_t summary = 10;
    ASSERT_GT(runs.size(), summary);
    EXPECT_EQ(runs[summary - 1], std::make_pair(std::string(" $.00\n"), TextStyle::Note));
    std::vector<std::pair<std::string, TextStyle>> rest(runs.begin() + summary, runs.end());
    EXPECT_THAT(rest, ElementsAre(Pair("3/5/24, 9:00" + NNBSP + "AM: ", TextStyle::UlNote),
                                  Pair("aapl - before\n", TextStyle::Note),
                                  Pair("3/5/24, 10:00" + NNBSP + "AM: ", TextStyle::UlNote),
                                  Pair("AAPL - at entry\n", TextStyle::FlaggedNote),
                                  Pair("\n", TextStyle::Date),
                                  Pair("3/5/24, 10:00" + NNBSP + "AM: ", TextStyle::UlNote),
                                  Pair("AAPL - at entry\n", TextStyle::FlaggedNote),
                                  Pair("3/5/24, 11:00" + NNBSP + "AM: ", TextStyle::UlNote),
                                  Pair("AAPL - after, same day\n", TextStyle::Note),
                                  Pair("\n\n", TextStyle::Date)));
}

TEST_F(TradeDetailsTest, ClosedTradeWindowRunsFromADayBeforeToADayAfterTheLastOrder) {
    addNote(log, entry.addingSeconds(-Day - 1), "AAPL", "too early");
    addNote(log, entry.addingSeconds(-Day), "AAPL", "first in");
    const Date lastOrder = localTime(2024, 3, 7, 10);
    addNote(log, lastOrder.addingSeconds(Day), "AAPL", "last in");
    addNote(log, lastOrder.addingSeconds(Day + 1), "AAPL", "too late");
    // Now lies well after the last order: a closed trade does not look at it.
    auto found = noteLines(report({trade}, ReportType::TradeDetailsReport));
    EXPECT_EQ(found, (std::vector<std::string>{"3/4/24, 10:00" + NNBSP + "AM: AAPL - first in",
                                               "3/8/24, 10:00" + NNBSP + "AM: AAPL - last in"}));
}

TEST_F(TradeDetailsTest, OpenTradeWindowReachesOneDayPastNow) {
    trade->setIsClosedValue(false);
    trade->setProfitValue(0);
    const Date now = clock.now(); // 3/20 12:00
    addNote(log, now.addingSeconds(Day - 1), "AAPL", "inside");
    addNote(log, now.addingSeconds(Day + 1), "AAPL", "outside");
    auto found = noteLines(report({trade}, ReportType::TradeDetailsReport));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_NE(found[0].find("inside"), std::string::npos);

    clock.advance(2);
    found = noteLines(report({trade}, ReportType::TradeDetailsReport));
    EXPECT_EQ(found.size(), 2u);
}

TEST_F(TradeDetailsTest, TradesOfTheSameTickerAndWindowListTheSameNotes) {
    auto* twin = addTrade("aapl", entry, -3, true);
    addOrder(twin, entry, true, 1, "x", 1);
    addOrder(twin, localTime(2024, 3, 7, 10), false, 1, "x", 1);
    addNote(log, localTime(2024, 3, 6), "AAPL", "shared");
    auto found = noteLines(report({trade, twin}, ReportType::TradeDetailsReport));
    EXPECT_EQ(found, (std::vector<std::string>{"3/6/24, 12:00" + NNBSP + "AM: AAPL - shared",
                                               "3/6/24, 12:00" + NNBSP + "AM: AAPL - shared"}));
}

TEST_F(TradeDetailsTest, TradeWithoutTickerTakesEveryNoteOfTheWindow) {
    trade->setTicker(std::nullopt);
    addNote(log, localTime(2024, 3, 6), "MSFT", "m");
    addNote(log, localTime(2024, 3, 6, 1), std::nullopt, std::nullopt);
    auto found = noteLines(report({trade}, ReportType::TradeDetailsReport));
    EXPECT_EQ(found, (std::vector<std::string>{
                         "3/6/24, 12:00" + NNBSP + "AM: MSFT - m",
                         "3/6/24, 1:00" + NNBSP +
                             "AM: !!! MISSING TICKER !!! - !!! MISSING COMMENT !!!"}));
}

TEST_F(TradeDetailsTest, TradeWithoutOrdersTakesItsOwnDateAsTheEntry) {
    auto* fresh = addTrade("NEW", localTime(2024, 3, 10, 12));
    addNote(log, localTime(2024, 3, 10, 11), "NEW", "before");
    addNote(log, localTime(2024, 3, 10, 13), "NEW", "after");
    auto text = renderPlainText(report({fresh}, ReportType::TradeDetailsReport));
    auto before = text.find("NEW - before"), after = text.find("NEW - after");
    ASSERT_NE(before, std::string::npos);
    ASSERT_NE(after, std::string::npos);
    // The entry separator ("\n" alone on a line) lies between them.
    EXPECT_NE(text.substr(before, after - before).find("\n\n"), std::string::npos);
}

// Chart images live next to the database; nothing is read to name them.
TEST_F(TradeReportTest, ImagesComeFromTheAccountsOwnFolderWhateverFolderTheNameCarries) {
    const std::filesystem::path database = "/accounts/B0W2/database.brdb";
    context().setFileURL(database);
    auto* trade = addTrade("AAPL", localTime(2024, 3, 5));
    auto* chart = model::ChartImage::insertInManagedObjectContext(&context());
    // Restored from account B0W1's backup: the names still carry its folder code.
    chart->setEntryImg(std::string("B0W1/11111111-2222-3333-4444-555555555555.png"));
    chart->setExitImg(std::string("B0W1/66666666-7777-8888-9999-000000000000.png"));
    trade->setChartImg(chart);

    auto text = report({trade}, ReportType::TradeDetailsReport);
    const auto folder = database.parent_path();
    ASSERT_EQ(text.attachments().size(), 2u);
    EXPECT_EQ(text.attachments()[0].file, folder / "11111111-2222-3333-4444-555555555555.png");
    EXPECT_EQ(text.attachments()[1].file, folder / "66666666-7777-8888-9999-000000000000.png");

    auto runs = runsOf(text);
    ASSERT_GE(runs.size(), 4u);
    EXPECT_EQ(runs[runs.size() - 4].first, "[image: " + text.attachments()[0].file.string() + "]");
    EXPECT_EQ(runs[runs.size() - 3], std::make_pair(std::string("\n"), TextStyle::Date));
    EXPECT_EQ(runs[runs.size() - 2].first, "[image: " + text.attachments()[1].file.string() + "]");
    EXPECT_EQ(runs.back(), std::make_pair(std::string("\n\n"), TextStyle::Date));
}

TEST_F(TradeReportTest, NamesThatCouldLeaveTheFolderOrAreEmptyShowNoImage) {
    context().setFileURL("/accounts/B0W2/database.brdb");
    auto* trade = addTrade(std::nullopt, localTime(2024, 3, 5));
    auto* chart = model::ChartImage::insertInManagedObjectContext(&context());
    chart->setEntryImg(std::string("B0W1/.."));
    chart->setExitImg(std::string(""));
    trade->setChartImg(chart);
    auto text = report({trade}, ReportType::TradeDetailsReport);
    EXPECT_TRUE(text.attachments().empty());
    // No notes and no picture still end the block.
    EXPECT_EQ(runsOf(text).back(), std::make_pair(std::string("\n\n"), TextStyle::Date));
}

} // namespace
} // namespace brivel::report::test
