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

TEST_F(ReportGeneratorTest, EmptyResultsGiveThePlainEmptyTextAndTheirLogLines) {
    addNote(addLog(day), day, "A", "a");
    struct Case {
        std::int32_t code;
        Date begin, end;
        std::vector<std::string> log;
    };
    const std::vector<std::string> empty{"Empty query array"};
    const std::vector<std::string> unknown{"Attempt to query unknown report type",
                                           "Empty query array"};
    const Case cases[] = {
        {2, day.addingSeconds(60), day.addingSeconds(120), empty}, // nothing in the range
        {2, day.addingSeconds(1), day, empty},                     // begin after end
        {0, day, day, unknown},
        {6, day, day, unknown}, // the query's table checks the other unknown codes
    };
    for (const Case& c : cases) {
        m_log.clear();
        auto text = generate(c.code, "", c.begin, c.end);
        ASSERT_EQ(text.runs().size(), 1u) << c.code;
        EXPECT_EQ(text.runs()[0].style, TextStyle::Plain);
        EXPECT_EQ(renderPlainText(text), EmptyResultText);
        EXPECT_EQ(m_log.lines(), c.log) << c.code;
    }
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
