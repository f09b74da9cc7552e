#include "core/csv/CsvAdditions.h"
#include "core/csv/CsvParser.h"
#include "core/csv/CsvWriter.h"
#include "core/csv/DataInputStream.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace brivel;
using namespace brivel::csv;

// Any lines array the writer writes reads back with the same fields, except that white space and
// line breaks at either end of a field are lost and that a line of one empty field may vanish.
namespace {

// Pieces that make fields awkward: every character with a meaning in the format, the white
// space and line breaks the reader trims, marks that combine with what stands before them,
// characters that attach to what follows, and text outside the Basic Multilingual Plane.
const std::vector<std::string> kPieces = {
    ",",      ";",      "\t",  "|",      "§",      "\"",     "\\",     "\n",
    "\r",     "\r\n",   " ",   "#",      "a",      "bc",     "é",      "\u0301",
    "\u0600", "\u200D", "😀",   "\u2028", "\u0085", "\u00A0", "\u3000", "\v",
    "\f",     "\"\"",   "x y", "中",     "#a",     "\x7F",   "\uFEFF"};

// The white space and line breaks the reader trims, as UTF-8. UTF-8 is prefix- and suffix-free,
// so matching bytes at either end matches whole characters.
const std::vector<std::string> kTrimmed = {
    "\t",     "\n",     "\v",     "\f",     "\r",     " ",      "\u0085", "\u00A0", "\u1680",
    "\u2000", "\u2001", "\u2002", "\u2003", "\u2004", "\u2005", "\u2006", "\u2007", "\u2008",
    "\u2009", "\u200A", "\u2028", "\u2029", "\u202F", "\u205F", "\u3000"};

std::string trimmed(std::string s) {
    for (bool cut = true; cut;) {
        cut = false;
        for (const auto& t : kTrimmed) {
            while (s.starts_with(t) || s.ends_with(t)) {
                s.erase(s.starts_with(t) ? 0 : s.size() - t.size(), t.size());
                cut = true;
            }
        }
    }
    return s;
}

CsvLines withoutEmptyLines(CsvLines lines) {
    std::erase_if(lines, [](const CsvLine& l) { return l.empty() || l == CsvLine{""}; });
    return lines;
}

CsvLines randomLines(std::mt19937& rng) {
    CsvLines lines(rng() % 6);
    for (auto& line : lines) {
        line.resize(rng() % 5);
        for (auto& field : line) {
            const int pieces = static_cast<int>(rng() % 7);
            for (int p = 0; p < pieces; ++p)
                field += kPieces[rng() % kPieces.size()];
        }
    }
    return lines;
}

CsvLines readBack(const std::string& text, StringEncoding encoding, const std::string& delimiter,
                  std::size_t chunkSize) {
    auto parser = CsvParser::initWithStream(std::make_unique<DataInputStream>(text), encoding);
    parser->setDelimiter(delimiter);
    parser->setChunkSize(chunkSize);
    CsvLinesAggregator aggregator;
    parser->setParserDelegate(&aggregator);
    parser->parse();
    EXPECT_FALSE(aggregator.error()) << aggregator.error()->localizedDescription;
    return aggregator.takeLines();
}

} // namespace

TEST(CsvRoundTrip, WrittenLinesReadBackWithTheirFields) {
    std::mt19937 rng(20240305);
    const std::vector<std::string> delimiters = {",", ";", "\t", "|", "§"};
    for (int round = 0; round < 3000; ++round) {
        const CsvLines original = randomLines(rng);
        const std::string delimiter = delimiters[rng() % delimiters.size()];
        const auto text = CSVStringWithDelimiter(original, delimiter);
        ASSERT_EQ(text.has_value(), !original.empty());
        if (!text)
            continue;
        CsvLines expected = original;
        for (auto& line : expected)
            for (auto& field : line)
                field = trimmed(field);
        expected = withoutEmptyLines(expected);
        const std::size_t chunk = std::size_t(1) << (rng() % 12);
        const CsvLines read = readBack(*text, StringEncoding::UTF8, delimiter, chunk);
        ASSERT_EQ(withoutEmptyLines(read), expected)
            << "round " << round << ", delimiter " << delimiter << ", chunk " << chunk
            << ", text:\n"
            << *text;
    }
}

TEST(CsvRoundTrip, ThroughFilesInOtherEncodings) {
    brivel::test::TempDir dir;
    const CsvLines lines = {
        {"Trade #", "Reason"}, {"1", "said \"hi\", then\nleft — é 😀"}, {"#2", "back\\slash"}};
    for (auto encoding : {StringEncoding::UTF8, StringEncoding::UTF16LittleEndian,
                          StringEncoding::UTF32BigEndian}) {
        const auto path = dir / "enc.csv";
        {
            CsvWriter writer(path, true);
            writer.setEncoding(encoding);
            for (const auto& l : lines)
                writer.writeLineWithFields(l);
        }
        EXPECT_EQ(arrayWithContentsOfCSVFile(path, encoding), lines);
    }
}
