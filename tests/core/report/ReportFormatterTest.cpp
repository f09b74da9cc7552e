#include "ReportTestSupport.h"

#include "core/report/ReportFormatter.h"
#include "support/TempDir.h"

namespace brivel::report::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

const std::string NNBSP = "\u202f"; // what CLDR puts between the time and AM/PM

class ReportFormatterTest : public ReportFixture {
protected:
    StyledText report(const std::vector<store::ManagedObject*>& records, ReportType type) {
        return formatter.newScreenReport(records, type, context());
    }
    ReportFormatter formatter;
};

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

} // namespace
} // namespace brivel::report::test
