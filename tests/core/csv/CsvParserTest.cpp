#include "CsvTestSupport.h"

#include "core/csv/CsvError.h"
#include "core/csv/DataInputStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace brivel;
using namespace brivel::csv;
using namespace brivel::csv::test;

namespace {

CsvLines linesOf(std::string_view text, std::string_view delimiter = ",") {
    auto outcome = parseAtAllChunkSizes(text, delimiter);
    EXPECT_FALSE(outcome.error) << outcome.error->localizedDescription;
    return outcome.lines;
}

using Events = std::vector<std::string>;

} // namespace

TEST(CsvParserLines, FieldsAndLineEnds) {
    EXPECT_EQ(linesOf("a,b\n"), (CsvLines{{"a", "b"}}));
    EXPECT_EQ(linesOf("a,b"), (CsvLines{{"a", "b"}}));
    EXPECT_EQ(linesOf("a,b\nc\n"), (CsvLines{{"a", "b"}, {"c"}}));
    // A delimiter before the line end leaves an empty last field, but not at the very end.
    EXPECT_EQ(linesOf("a,b,\n"), (CsvLines{{"a", "b", ""}}));
    EXPECT_EQ(linesOf("a,b,"), (CsvLines{{"a", "b"}}));
    EXPECT_EQ(linesOf("a,,b\n"), (CsvLines{{"a", "", "b"}}));
    EXPECT_EQ(linesOf(",a\n"), (CsvLines{{"", "a"}}));
    EXPECT_EQ(linesOf(",,\n"), (CsvLines{{"", "", ""}}));
    EXPECT_EQ(linesOf(""), CsvLines{});
}

// The callbacks come in document order, with the line numbers of the lines reported.
TEST(CsvParserLines, EmptyLinesAreAbsorbedInsideButNotAtTheEnds) {
    const auto middle = parseAtAllChunkSizes("a\n\n\nb\n");
    EXPECT_EQ(middle.events, (Events{"doc", "L1", "f:a", "/L1", "L2", "f:b", "/L2", "end"}));
    EXPECT_EQ(linesOf("\n\na\n"), (CsvLines{{""}, {"a"}}));
    EXPECT_EQ(linesOf("a\n\n\n"), (CsvLines{{"a"}, {""}}));
    EXPECT_EQ(linesOf("\n"), (CsvLines{{""}}));
}

TEST(CsvParserLines, CarriageReturnLineFeedEndsALineLikeLineFeed) {
    EXPECT_EQ(linesOf("a,b\r\nc\r\n"), (CsvLines{{"a", "b"}, {"c"}}));
    EXPECT_EQ(linesOf("a\r\n#note\r\nb"), (CsvLines{{"a"}, {"b"}}));
    EXPECT_EQ(linesOf("a,\r\n"), (CsvLines{{"a", ""}}));
    // A lone CR is a line end of its own; so are the other line-break characters.
    EXPECT_EQ(linesOf("a\rb\r"), (CsvLines{{"a"}, {"b"}}));
    EXPECT_EQ(linesOf("a\vb\fc"), (CsvLines{{"a"}, {"b"}, {"c"}}));
    EXPECT_EQ(linesOf("a\u2028b\u2029c\u0085d"), (CsvLines{{"a"}, {"b"}, {"c"}, {"d"}}));
    EXPECT_EQ(linesOf("\"a\r\nb\"\r\n"), (CsvLines{{"a\r\nb"}}));
}

TEST(CsvParserQuotes, QuotedFieldsHoldDelimitersQuotesAndLineBreaks) {
    EXPECT_EQ(linesOf("\"a,b\",c\n"), (CsvLines{{"a,b", "c"}}));
    EXPECT_EQ(linesOf("\"a\"\"b\"\n"), (CsvLines{{"a\"b"}}));
    EXPECT_EQ(linesOf("\"a\nb\",c\n"), (CsvLines{{"a\nb", "c"}}));
    EXPECT_EQ(linesOf("\"\"\"\"\n"), (CsvLines{{"\""}}));
    EXPECT_EQ(linesOf("\"\"\n"), (CsvLines{{""}}));
    EXPECT_EQ(linesOf("\"a\\\\b\"\n"), (CsvLines{{"a\\b"}}));
    // A quote opened in the middle of a field and closed again is fine before a delimiter.
    EXPECT_EQ(linesOf("a\"b,c\"\n"), (CsvLines{{"a\"b,c\""}}));
    // A quoted field may begin with the delimiter.
    EXPECT_EQ(linesOf("\",a\",b\n"), (CsvLines{{",a", "b"}}));
    EXPECT_EQ(linesOf("x\n\n\",a\"\n"), (CsvLines{{"x"}, {",a"}}));
    // A quote still open at the end is kept as text.
    EXPECT_EQ(linesOf("\"abc"), (CsvLines{{"\"abc"}}));
    EXPECT_EQ(linesOf("a,\"b\nc"), (CsvLines{{"a", "\"b\nc"}}));
}

// Whole quoted fields are taken in one stride when they fit the text at hand, and by the
// character otherwise (linesOf compares every chunk size): both must agree at every kind of end.
TEST(CsvParserQuotes, QuotedFieldsEndedByEachLineEndAndDelimiterAgreeAcrossChunks) {
    EXPECT_EQ(linesOf("\"a\",\"b\"\n\"c\""), (CsvLines{{"a", "b"}, {"c"}}));
    EXPECT_EQ(linesOf("\"a\"\v\"b\"\f\"c\"\r\n\"d\"\r"), (CsvLines{{"a"}, {"b"}, {"c"}, {"d"}}));
    EXPECT_EQ(linesOf("\"a\";\"b,c\";\"\"\n", ";"), (CsvLines{{"a", "b,c", ""}}));
    EXPECT_EQ(linesOf("\" \u00A0a\n\t\",\"\u00e9\"\n"), (CsvLines{{"a", "\u00e9"}}));
    EXPECT_EQ(linesOf("\"a\"\"\",\"b\\\\\"\n"), (CsvLines{{"a\"", "b\\"}}));
    EXPECT_EQ(linesOf("x,\"a\"\n\n\"b\"\n"), (CsvLines{{"x", "a"}, {"b"}}));
}

TEST(CsvParserQuotes, BlanksAreTrimmedInsideQuotesTooButNotBeforeAnOpeningQuote) {
    EXPECT_EQ(linesOf(" a ,\tb\t\n"), (CsvLines{{"a", "b"}}));
    EXPECT_EQ(linesOf("\" a \"\n"), (CsvLines{{"a"}}));
    EXPECT_EQ(linesOf(" \"a\"\n"), (CsvLines{{"\"a\""}}));
    EXPECT_EQ(linesOf("\u00A0a\u3000\n"), (CsvLines{{"a"}}));
}

TEST(CsvParserQuotes, TextAfterAClosingQuoteIsAFormatErrorQuotingAtMost200BytesOfTheField) {
    // A malformed field of megabytes must not become megabytes of message; a character is
    // never cut in half.
    const std::string field = "\"" + std::string(199, 'a') + "\xc3\xa9" + std::string(5000, 'b');
    const std::pair<std::string, std::string> cases[] = {
        {"x\n\"ab\" c,d\n", "line #2 immediately after \"\"ab\"\""},
        {"a\"b\"c\n", "line #1 immediately after \"a\"b\"\""},
        {field + "\" x\n", "line #1 immediately after \"\"" + std::string(199, 'a') + "\""},
    };
    for (const auto& [text, where] : cases) {
        const auto outcome = parseAtAllChunkSizes(text);
        ASSERT_TRUE(outcome.error) << where;
        EXPECT_EQ(outcome.error->domain, CsvErrorDomain);
        EXPECT_EQ(outcome.error->code, CsvErrorFormat);
        EXPECT_EQ(outcome.error->localizedDescription, "Invalid CSV format on " + where);
    }
    // What came before stands; the open line gets no line end.
    EXPECT_EQ(parseAtAllChunkSizes("x\n\"ab\" c,d\n").events,
              (Events{"doc", "L1", "f:x", "/L1", "L2", "fail:2"}));
}

TEST(CsvParserEscapes, BackslashMakesTheNextCharacterText) {
    EXPECT_EQ(linesOf("a\\,b,c\n"), (CsvLines{{"a,b", "c"}}));
    EXPECT_EQ(linesOf("a\\\nb,c\n"), (CsvLines{{"a\nb", "c"}}));
    EXPECT_EQ(linesOf("a\\xb\n"), (CsvLines{{"axb"}}));
    EXPECT_EQ(linesOf("\\\"a\n"), (CsvLines{{"\"a"}}));
    EXPECT_EQ(linesOf("a\\"), (CsvLines{{"a"}}));
    // An escaped quote after a quoted run is not a closing quote followed by text.
    EXPECT_EQ(linesOf("a\\\"b\n"), (CsvLines{{"a\"b"}}));
}

TEST(CsvParserComments, CommentLinesAreDroppedAndNotCounted) {
    const auto outcome = parseAtAllChunkSizes("#head\na\n#middle, with \"quotes\" in it\nb\n#");
    EXPECT_EQ(outcome.events, (Events{"doc", "L1", "f:a", "/L1", "L2", "f:b", "/L2", "end"}));
    EXPECT_EQ(linesOf("a,#b\n"), (CsvLines{{"a", "#b"}}));
    EXPECT_EQ(linesOf(" #a\n"), (CsvLines{{"#a"}}));
}

TEST(CsvParserDelimiter, OtherDelimitersMakeCommasTextUnusableOnesAndLateChangesAreRefused) {
    auto parser = CsvParser::initWithCSVString("a;b", StringEncoding::UTF8);
    ASSERT_TRUE(parser);
    for (std::string bad : {"", ",,", "#", "\"", "\\", "\n", "\r", "\u2028", "\U0001F600"}) {
        try {
            parser->setDelimiter(bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()), bad + " cannot be used as a delimiter");
        }
    }
    EXPECT_EQ(parser->delimiter(), ",");
    parser->setDelimiter(";");
    RecordingDelegate d;
    std::string thrown;
    d.onField = [&](CsvParser& p, std::string_view) {
        try {
            p.setDelimiter(",");
        } catch (const std::invalid_argument& e) {
            thrown = e.what();
        }
    };
    parser->setParserDelegate(&d);
    parser->parse();
    EXPECT_EQ(thrown, "You cannot set a delimiter after parsing has started");
    EXPECT_EQ(d.lines, (CsvLines{{"a", "b"}}));
    // Another delimiter makes commas text.
    EXPECT_EQ(linesOf("a,b;c\n", ";"), (CsvLines{{"a,b", "c"}}));
    EXPECT_EQ(linesOf("a\tb c\n", "\t"), (CsvLines{{"a", "b c"}}));
    EXPECT_EQ(linesOf("a§b§\"c§d\"\n", "§"), (CsvLines{{"a", "b", "c§d"}}));
    EXPECT_EQ(linesOf("a\\§b\n", "§"), (CsvLines{{"a§b"}}));
}

TEST(CsvParserCancel, StopsAfterTheCurrentCharacterAndReportsCodeThree) {
    struct Case {
        const char* text;
        std::string_view onField; // cancel after reading this field...
        std::uint64_t onLine;     // ...or on starting this line
        Events events;
    };
    const Case cases[] = {
        {"a,b,c\nd\n", "b", 0, {"doc", "L1", "f:a", "f:b", "fail:3"}},
        // On a quoted field, taken in one stride, as on any other.
        {"\"a\",\"b\",\"c\"\n", "b", 0, {"doc", "L1", "f:a", "f:b", "fail:3"}},
        // Cancelling on the last field of a line gives no line end either.
        {"a\nb\n", "", 2, {"doc", "L1", "f:a", "/L1", "L2", "fail:3"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto parser = CsvParser::initWithCSVString(c.text, StringEncoding::UTF8);
        RecordingDelegate d;
        d.onField = [&](CsvParser& p, std::string_view field) {
            if (field == c.onField)
                p.cancelParsing();
        };
        d.onLine = [&](CsvParser& p, std::uint64_t n) {
            if (n == c.onLine)
                p.cancelParsing();
        };
        parser->setParserDelegate(&d);
        parser->parse();
        EXPECT_EQ(d.events, c.events);
        ASSERT_TRUE(parser->error());
        EXPECT_EQ(parser->error()->code, CsvErrorCancelled);
        EXPECT_EQ(parser->error()->localizedDescription, "");
        EXPECT_EQ(parser->state(), CsvParser::State::Cancelled);
    }
}

TEST(CsvParserUnicode, CombiningMarksAndPrependCharactersNeverSwallowStructure) {
    // A mark after a delimiter belongs to the next field; a prepend character before a
    // delimiter does not hide it; a quote followed by a mark still opens the field.
    EXPECT_EQ(linesOf("a,\u0301b\n"), (CsvLines{{"a", "\u0301b"}}));
    EXPECT_EQ(linesOf("x\u0600,y\n"), (CsvLines{{"x\u0600", "y"}}));
    EXPECT_EQ(linesOf("\"\u0301,\"\n"), (CsvLines{{"\u0301,"}}));
    EXPECT_EQ(linesOf("e\u0301,\U0001F1E9\U0001F1EA,\U0001F469\u200D\U0001F4BB\n"),
              (CsvLines{{"e\u0301", "\U0001F1E9\U0001F1EA", "\U0001F469\u200D\U0001F4BB"}}));
}

TEST(CsvParserUnicode, IllFormedUtf8FailsWhereItStands) {
    const auto middle = parseAtAllChunkSizes("a,b\nc\xFF,d\n");
    ASSERT_TRUE(middle.error);
    EXPECT_EQ(middle.error->code, CsvErrorInput);
    EXPECT_EQ(middle.error->localizedDescription, "unable to interpret current chunk as a string");
    EXPECT_EQ(middle.events, (Events{"doc", "L1", "f:a", "f:b", "/L1", "L2", "fail:1"}));
    // A character cut off by the end of the input is not quietly dropped.
    const auto cut = parseAtAllChunkSizes("a,caf\xC3");
    ASSERT_TRUE(cut.error);
    EXPECT_EQ(cut.error->code, CsvErrorInput);
}

TEST(CsvParserInput, StreamFailuresBecomeErrorsOfCodeOne) {
    Error openError;
    EXPECT_FALSE(CsvParser::initWithStream(
        std::make_unique<FaultyStream>("a", FaultyStream::Fault::Open), nullptr, &openError));
    EXPECT_EQ(openError.domain, CsvErrorDomain);
    EXPECT_EQ(openError.code, CsvErrorInput);
    EXPECT_EQ(openError.localizedDescription, "Unable to open file for reading");

    std::string text(5000, 'x');
    text += "\n";
    auto failing = CsvParser::initWithStream(
        std::make_unique<FaultyStream>(text, FaultyStream::Fault::ReadError, 2048),
        StringEncoding::UTF8);
    RecordingDelegate d;
    failing->setParserDelegate(&d);
    failing->parse();
    ASSERT_TRUE(d.failure);
    EXPECT_EQ(d.failure->localizedDescription, "Unable to read from input stream");
    EXPECT_NE(d.failure->userInfo["NSUnderlyingError"].find("Input/output error"),
              std::string::npos);
    EXPECT_EQ(d.events.back(), "fail:1");

    auto throwing = CsvParser::initWithStream(
        std::make_unique<FaultyStream>(text, FaultyStream::Fault::ReadThrows, 100),
        StringEncoding::None);
    RecordingDelegate t;
    throwing->setParserDelegate(&t);
    throwing->parse();
    ASSERT_TRUE(t.failure);
    EXPECT_EQ(t.failure->code, CsvErrorInput);
    EXPECT_EQ(t.failure->localizedDescription, "the disk went away");
}

TEST(CsvParserInput, FilesNameThemselvesToTheDelegate) {
    brivel::test::TempDir dir;
    const auto path = dir / "t.csv";
    brivel::test::writeFile(path, "a,b\n");
    auto parser = CsvParser::initWithContentsOfCSVFile(path, StringEncoding::UTF8);
    ASSERT_TRUE(parser);
    EXPECT_EQ(parser->csvFile(), path.string());
    RecordingDelegate d;
    parser->setParserDelegate(&d);
    parser->parse();
    EXPECT_EQ(d.events,
              (Events{"doc:" + path.string(), "L1", "f:a", "f:b", "/L1", "end:" + path.string()}));

    // A missing file is CsvAdditionsTest's; a folder opens but is no file to read.
    Error error;
    EXPECT_FALSE(CsvParser::initWithContentsOfCSVFile(dir.path(), nullptr, &error));
}

TEST(CsvParserInput, LongFieldsAndLinesSpanManyChunks) {
    std::string longField(100000, 'y');
    std::string text = "\"" + longField + ",\n\"\"" + longField + "\"," + longField + "\n";
    auto outcome = parseText(text, ",", 100);
    ASSERT_FALSE(outcome.error);
    ASSERT_EQ(outcome.lines.size(), 1u);
    EXPECT_EQ(outcome.lines[0][0], longField + ",\n\"" + longField);
    EXPECT_EQ(outcome.lines[0][1], longField);
}

TEST(CsvParserInput, RunsWithoutADelegate) {
    auto parser = CsvParser::initWithCSVString("a,\"b", StringEncoding::UTF8);
    parser->parse();
    EXPECT_FALSE(parser->error());
    EXPECT_EQ(parser->parserDelegate(), nullptr);
}
