#include "ReportTestSupport.h"

#include "core/report/PlainTextRenderer.h"
#include "core/report/ReportGenerator.h"

namespace brivel::report::test {
namespace {

class ReportGeneratorTest : public ReportFixture {
protected:
    StyledText generate(std::int32_t code, std::string ticker, Date begin, Date end) {
        return generateReport({static_cast<ReportType>(code), std::move(ticker), begin, end},
                              context(), formatter);
    }
    ReportFormatter formatter;
    const Date day = localTime(2024, 1, 15, 10);
};

TEST_F(ReportGeneratorTest, NothingFoundGivesTheEmptyResultTextWithoutAttributes) {
    auto text = generate(2, "", day, day);
    ASSERT_EQ(text.runs().size(), 1u);
    EXPECT_EQ(text.runs()[0].style, TextStyle::Plain);
    EXPECT_EQ(renderPlainText(text),
              "Your query returned 0 results. Please check your query and try again.");
    EXPECT_EQ(m_log.lines(), std::vector<std::string>{"Empty query array"});
}

TEST_F(ReportGeneratorTest, UnknownTypeLogsBothLinesInOrder) {
    addNote(addLog(day), day, "A", "a");
    for (std::int32_t code : {0, -1}) {
        m_log.clear();
        auto text = generate(code, "A", day, day);
        EXPECT_EQ(text.string(), EmptyResultText);
        EXPECT_EQ(m_log.lines(), (std::vector<std::string>{"Attempt to query unknown report type",
                                                           "Empty query array"}));
    }
}

TEST_F(ReportGeneratorTest, BeginAfterEndShowsTheEmptyResultText) {
    addNote(addLog(day), day, "A", "a");
    EXPECT_EQ(generate(2, "", day.addingSeconds(1), day).string(), EmptyResultText);
}

TEST_F(ReportGeneratorTest, FoundRecordsAreFormattedForTheirType) {
    addNote(addLog(day), day, "AAPL", "entry", true);
    EXPECT_EQ(generate(3, "ignored", day, day).runs()[0].style, TextStyle::Note);
    EXPECT_EQ(generate(2, "aapl", day, day).runs()[0].style, TextStyle::FlaggedNote);
    EXPECT_EQ(renderPlainText(generate(2, "MSFT", day, day)), EmptyResultText);
    EXPECT_NE(generate(1, "", day.addingSeconds(-60), day).string().find("Monday - January 15"),
              std::string::npos);
}

} // namespace
} // namespace brivel::report::test
