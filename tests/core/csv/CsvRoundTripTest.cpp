#include "core/csv/CsvAdditions.h"
#include "core/csv/CsvParser.h"
#include "core/csv/CsvWriter.h"
#include "core/csv/DataInputStream.h"
#include "support/TempDir.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>

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

const std::set<char32_t> kTrimmed = {0x09,   0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,
                                     0xA0,   0x1680, 0x2000, 0x2001, 0x2002, 0x2003, 0x2004,
                                     0x2005, 0x2006, 0x2007, 0x2008, 0x2009, 0x200A, 0x2028,
                                     0x2029, 0x202F, 0x205F, 0x3000};

std::u32string toU32(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        int n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
        char32_t c = n == 1 ? b : b & (0x3F >> (n - 1));
        for (int k = 1; k < n; ++k)
            c = (c << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out += c;
        i += n;
    }
    return out;
}

std::string fromU32(std::u32string_view u) {
    std::string out;
    for (char32_t c : u) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string trimmed(const std::string& s) {
    const std::u32string u = toU32(s);
    std::size_t b = 0, e = u.size();
    while (b < e && kTrimmed.count(u[b]))
        ++b;
    while (e > b && kTrimmed.count(u[e - 1]))
        --e;
    return fromU32(std::u32string_view(u).substr(b, e - b));
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
