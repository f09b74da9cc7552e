#include "CsvTestSupport.h"

#include "core/csv/CsvAdditions.h"
#include "core/csv/CsvError.h"
#include "core/csv/DataInputStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <stdexcept>

using namespace brivel;
using namespace brivel::csv;
using namespace brivel::csv::test;
namespace fs = std::filesystem;

TEST(CsvAdditionsReading, TextBecomesLinesOfFields) {
    EXPECT_EQ(CSVComponents("a,b\nc\n"), (CsvLines{{"a", "b"}, {"c"}}));
    EXPECT_EQ(CSVComponents(""), CsvLines{});
    EXPECT_EQ(arrayWithContentsOfCSVString("a;b,c", StringEncoding::UTF8, ";"),
              (CsvLines{{"a", "b,c"}}));
    EXPECT_EQ(arrayWithContentsOfCSVString("é,b", StringEncoding::UTF16BigEndian),
              (CsvLines{{"é", "b"}}));
    EXPECT_THROW(arrayWithContentsOfCSVString("a", StringEncoding::UTF8, "\""),
                 std::invalid_argument);
}

TEST(CsvAdditionsReading, FailuresGiveNoLinesAndTheError) {
    Error error;
    EXPECT_EQ(arrayWithContentsOfCSVString("a\n\"b\"c\n", StringEncoding::UTF8, &error),
              std::nullopt);
    EXPECT_EQ(error.domain, CsvErrorDomain);
    EXPECT_EQ(error.code, CsvErrorFormat);
    EXPECT_EQ(CSVComponents("\"b\"c"), std::nullopt);

    // A file that cannot be opened is a failure, not an empty file.
    brivel::test::TempDir dir;
    Error missing;
    StringEncoding used = StringEncoding::None;
    EXPECT_EQ(arrayWithContentsOfCSVFile(dir / "nope.csv", &used, &missing), std::nullopt);
    EXPECT_EQ(missing.code, CsvErrorInput);
    EXPECT_EQ(missing.localizedDescription, "Unable to open file for reading");

    Error readError;
    EXPECT_EQ(arrayWithContentsOfCSVStream(
                  std::make_unique<FaultyStream>("a,b\nc", FaultyStream::Fault::ReadError, 3),
                  StringEncoding::UTF8, &readError),
              std::nullopt);
    EXPECT_EQ(readError.localizedDescription, "Unable to read from input stream");
}

TEST(CsvAdditionsReading, FilesAndStreamsInEveryForm) {
    brivel::test::TempDir dir;
    const auto path = dir / "in.csv";
    brivel::test::writeFile(path, "\xEF\xBB\xBFx;y\n");
    StringEncoding used = StringEncoding::None;
    EXPECT_EQ(arrayWithContentsOfCSVFile(path, &used, ";"), (CsvLines{{"x", "y"}}));
    EXPECT_EQ(used, StringEncoding::UTF8);
    EXPECT_EQ(arrayWithContentsOfCSVFile(path, &used), (CsvLines{{"x;y"}}));
    EXPECT_EQ(arrayWithContentsOfCSVFile(path, StringEncoding::None, ";"), (CsvLines{{"x", "y"}}));
    EXPECT_EQ(arrayWithContentsOfCSVFile(path, StringEncoding::UTF8), (CsvLines{{"x;y"}}));

    auto stream = [] { return std::make_unique<DataInputStream>("p|q\n"); };
    StringEncoding streamUsed = StringEncoding::None;
    EXPECT_EQ(arrayWithContentsOfCSVStream(stream(), &streamUsed, "|"), (CsvLines{{"p", "q"}}));
    EXPECT_EQ(streamUsed, StringEncoding::UTF8);
    EXPECT_EQ(arrayWithContentsOfCSVStream(stream(), nullptr), (CsvLines{{"p|q"}}));
    EXPECT_EQ(arrayWithContentsOfCSVStream(stream(), StringEncoding::UTF8, "|"),
              (CsvLines{{"p", "q"}}));
    EXPECT_EQ(arrayWithContentsOfCSVStream(stream(), StringEncoding::MacOSRoman),
              (CsvLines{{"p|q"}}));
}

TEST(CsvAdditionsAggregator, LeavesOutLinesWithoutFieldsAndKeepsTheError) {
    auto parser = CsvParser::initWithCSVString("", StringEncoding::UTF8);
    CsvLinesAggregator a;
    a.parserDidStartDocument(*parser, std::nullopt);
    a.parserDidStartLine(*parser, 1);
    a.parserDidEndLine(*parser, 1);
    a.parserDidStartLine(*parser, 2);
    a.parserDidReadField(*parser, "x");
    a.parserDidEndLine(*parser, 2);
    EXPECT_EQ(a.lines(), (CsvLines{{"x"}}));
    Error e;
    e.code = 7;
    a.parserDidFailWithError(*parser, e);
    ASSERT_TRUE(a.error());
    EXPECT_EQ(a.error()->code, 7);
    // A new document starts with no lines.
    a.parserDidStartDocument(*parser, std::nullopt);
    EXPECT_TRUE(a.lines().empty());
}

TEST(CsvAdditionsWriting, StringsOfLines) {
    EXPECT_EQ(CSVString(CsvLines{{"a", "b,c"}, {"d"}}), "a,\"b,c\"\nd\n");
    EXPECT_EQ(CSVStringWithDelimiter(CsvLines{{"a", "b,c"}}, ";"), "a;b,c\n");
    EXPECT_EQ(CSVString(CsvLines{}), std::nullopt);
    const std::vector<CsvValue> values{CsvValue::Array{1, "x", CsvValue()}, CsvValue::Array{}};
    EXPECT_EQ(CSVString(values), "1,x,\n\n");

    Error error;
    const std::vector<CsvValue> mixed{CsvValue::Array{"a"}, "not a line"};
    EXPECT_EQ(CSVStringWithDelimiter(mixed, ",", &error), std::nullopt);
    EXPECT_EQ(error.localizedDescription, "Invalid array structure");
    EXPECT_THROW(CSVStringWithDelimiter(CsvLines{{"a"}}, "##"), std::invalid_argument);
}

TEST(CsvAdditionsWriting, FilesOfLines) {
    brivel::test::TempDir dir;
    const auto path = dir / "out.csv";
    EXPECT_TRUE(writeToCSVFile(CsvLines{}, path, false));
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(brivel::test::readFile(path), "");

    EXPECT_TRUE(writeToCSVFile(CsvLines{{"a", "b"}}, path, "\t", true));
    EXPECT_EQ(brivel::test::readFile(path), "a\tb\n");

    Error error;
    const std::vector<CsvValue> mixed{CsvValue::Array{"a"}, "not a line"};
    EXPECT_FALSE(writeToCSVFile(mixed, path, false, &error));
    EXPECT_EQ(error.domain, CsvErrorDomain);
    EXPECT_EQ(error.code, CsvErrorFormat);
    EXPECT_EQ(error.localizedDescription, "Invalid array structure");
    EXPECT_EQ(brivel::test::readFile(path), "a\tb\n"); // untouched

    const std::vector<CsvValue> good{CsvValue(CsvValue::Array{"x", 2.5})};
    EXPECT_TRUE(writeToCSVFile(good, path, ";", false, &error));
    EXPECT_EQ(brivel::test::readFile(path), "x;2.5\n");

    Error unwritable;
    EXPECT_FALSE(writeToCSVFile(CsvLines{{"a"}}, dir / "no" / "out.csv", false, &unwritable));
    EXPECT_EQ(unwritable.domain, errors::FileDomain);
    EXPECT_FALSE(writeToCSVFile(CsvLines{{"a"}}, dir / "no" / "out.csv", true, &unwritable));
}
