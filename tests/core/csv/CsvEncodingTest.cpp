#include "CsvTestSupport.h"

#include "core/csv/CsvError.h"
#include "core/csv/DataInputStream.h"
#include "core/platform/SystemLog.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace brivel;
using namespace brivel::csv;
using namespace brivel::csv::test;

namespace {

const char* kAssumeUtf8 = "unable to determine file encoding; assuming UTF8";
const char* kAssumeMacRoman = "unable to determine file encoding; assuming MacOSRoman";

// Installs a memory log for the test's life.
class LogCapture {
public:
    LogCapture() { setSystemLog(&log); }
    ~LogCapture() { setSystemLog(nullptr); }
    MemoryLog log;
};

struct Detected {
    StringEncoding encoding = StringEncoding::None;
    CsvLines lines;
    std::optional<Error> error;
};

Detected detect(const std::string& bytes, std::size_t chunkSize = CsvParser::kDefaultChunkSize,
                StringEncoding given = StringEncoding::None) {
    Detected out;
    out.encoding = given;
    auto parser =
        CsvParser::initWithStream(std::make_unique<DataInputStream>(bytes), &out.encoding);
    EXPECT_TRUE(parser);
    parser->setChunkSize(chunkSize);
    RecordingDelegate d;
    parser->setParserDelegate(&d);
    parser->parse();
    out.lines = d.lines;
    out.error = parser->error();
    return out;
}

// UTF-16 code units, little-endian unless asked otherwise.
std::string utf16(std::u16string_view text, bool littleEndian = true) {
    std::string out;
    for (char16_t u : text)
        for (int i = 0; i < 2; ++i)
            out += static_cast<char>(u >> (8 * (littleEndian ? i : 1 - i)));
    return out;
}

std::string utf32(std::u32string_view text, bool littleEndian) {
    std::string out;
    for (char32_t c : text)
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>(c >> (8 * (littleEndian ? i : 3 - i)));
    return out;
}

} // namespace

TEST(CsvEncodingDetection, ByteOrderMarksDecideAndAreDropped) {
    LogCapture capture;
    const CsvLines expected{{"é", "b"}, {"😀"}};
    struct Case {
        std::string bytes;
        StringEncoding encoding;
    } cases[] = {
        {std::string("\xEF\xBB\xBF") + "é,b\n😀\n", StringEncoding::UTF8},
        {"\xFE\xFF" + utf16(u"é,b\n😀\n", false), StringEncoding::UTF16BigEndian},
        {"\xFF\xFE" + utf16(u"é,b\n😀\n"), StringEncoding::UTF16LittleEndian},
        {std::string("\xFF\xFE\0\0", 4) + utf32(U"é,b\n😀\n", true),
         StringEncoding::UTF32LittleEndian},
        {std::string("\0\0\xFE\xFF", 4) + utf32(U"é,b\n😀\n", false),
         StringEncoding::UTF32BigEndian},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {std::size_t(3), std::size_t(7), CsvParser::kDefaultChunkSize}) {
            const auto d = detect(c.bytes, chunk);
            EXPECT_EQ(d.encoding, c.encoding);
            EXPECT_EQ(d.lines, expected) << static_cast<std::uint64_t>(c.encoding) << " " << chunk;
            EXPECT_FALSE(d.error);
        }
    }
    EXPECT_TRUE(capture.log.lines().empty());
}

TEST(CsvEncodingDetection, IncompleteMarksFallBackToTheLocaleEncoding) {
    LogCapture capture;
    {
        brivel::test::ScopedEnv utf8("LC_ALL", "en_US.UTF-8");
        EXPECT_EQ(detect(std::string("\xEF\xBB") + "a").encoding, StringEncoding::UTF8);
        EXPECT_EQ(detect(std::string("\0a", 2)).encoding, StringEncoding::UTF8);
        EXPECT_EQ(detect("\xFE").encoding, StringEncoding::UTF8);
    }
    {
        brivel::test::ScopedEnv latin1("LC_ALL", "de_DE.ISO-8859-1");
        const auto d = detect(std::string("\xFF") + "a,b\n");
        EXPECT_EQ(d.encoding, StringEncoding::ISOLatin1);
        EXPECT_EQ(d.lines, (CsvLines{{"ÿa", "b"}}));
    }
    EXPECT_TRUE(capture.log.lines().empty());
}

TEST(CsvEncodingDetection, WithoutAMarkUtf8IsTriedThenMacRoman) {
    LogCapture capture;
    const auto utf8 = detect("café,b\n");
    EXPECT_EQ(utf8.encoding, StringEncoding::UTF8);
    EXPECT_EQ(utf8.lines, (CsvLines{{"café", "b"}}));
    EXPECT_EQ(capture.log.lines(), std::vector<std::string>{kAssumeUtf8});

    capture.log.clear();
    const auto roman = detect("caf\x8E,\xE9t\xE9\n");
    EXPECT_EQ(roman.encoding, StringEncoding::MacOSRoman);
    EXPECT_EQ(roman.lines, (CsvLines{{"café", "ÈtÈ"}}));
    EXPECT_EQ(capture.log.lines(), std::vector<std::string>{kAssumeMacRoman});
}

TEST(CsvEncodingDetection, ACharacterCutByTheFirstChunkStillCountsAsUtf8) {
    LogCapture capture;
    // The first 2048 bytes end with the first byte of "é".
    std::string text(2047, 'a');
    text += "é,ü\n";
    const auto d = detect(text);
    EXPECT_EQ(d.encoding, StringEncoding::UTF8);
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0][1], "ü");
    EXPECT_EQ(d.lines[0][0], std::string(2047, 'a') + "é");
    EXPECT_TRUE(capture.log.contains(kAssumeUtf8));
    // But a cut character at the very end of a short input is not UTF-8.
    EXPECT_EQ(detect("ab\xC3").encoding, StringEncoding::MacOSRoman);
}

TEST(CsvEncodingDetection, EmptyInputHasNoEncoding) {
    const auto d = detect("");
    EXPECT_EQ(d.encoding, StringEncoding::None);
    EXPECT_TRUE(d.lines.empty());
    EXPECT_FALSE(d.error);
}

TEST(CsvEncodingGiven, IsUsedWithoutLookingAndLosesOnlyAMatchingMark) {
    LogCapture capture;
    const std::string bom8 = "\xEF\xBB\xBF";
    struct Case {
        std::string bytes;
        std::size_t chunk;
        StringEncoding given;
        CsvLines lines;
    } cases[] = {
        {utf16(u"a,é\n"), 5, StringEncoding::UTF16LittleEndian, {{"a", "é"}}},
        {bom8 + "a\n", 1, StringEncoding::UTF8, {{"a"}}},
        {"\xFF\xFE" + utf16(u"a\n"), 1, StringEncoding::UTF16LittleEndian, {{"a"}}},
        {"\xFE\xFF" + utf16(u"a\n", false), 2048, StringEncoding::Unicode, {{"a"}}},
        {bom8 + "a\n", 2048, StringEncoding::ISOLatin1, {{"ï»¿a"}}}, // a mark is text here
    };
    for (const auto& c : cases)
        EXPECT_EQ(detect(c.bytes, c.chunk, c.given).lines, c.lines)
            << static_cast<std::uint64_t>(c.given) << " " << c.chunk;
    EXPECT_TRUE(capture.log.lines().empty());
}

TEST(CsvEncodingGiven, UndecodableInputFailsWithCodeOne) {
    // A lone low surrogate, and an odd byte left at the end; what comes before them is read,
    // in small chunks and in one.
    for (const std::string& bytes :
         {utf16(u"a,b\nc") + std::string("\x00\xDC", 2), utf16(u"a,b\nc") + "x"}) {
        for (std::size_t chunk : {std::size_t(3), CsvParser::kDefaultChunkSize}) {
            const auto d = detect(bytes, chunk, StringEncoding::UTF16LittleEndian);
            ASSERT_TRUE(d.error);
            EXPECT_EQ(d.error->code, CsvErrorInput);
            EXPECT_EQ(d.error->localizedDescription,
                      "unable to interpret current chunk as a string");
            EXPECT_EQ(d.lines, (CsvLines{{"a", "b"}, {}}));
        }
    }
    const auto unknown = detect("a", 2048, static_cast<StringEncoding>(12345));
    ASSERT_TRUE(unknown.error);
    EXPECT_EQ(unknown.error->code, CsvErrorInput);
}

TEST(CsvEncodingGiven, StringsAreEncodedFirst) {
    auto parser = CsvParser::initWithCSVString("é,\"x\ny\"", StringEncoding::UTF32BigEndian);
    ASSERT_TRUE(parser);
    RecordingDelegate d;
    parser->setParserDelegate(&d);
    parser->parse();
    EXPECT_EQ(d.lines, (CsvLines{{"é", "x\ny"}}));

    Error error;
    EXPECT_FALSE(CsvParser::initWithCSVString("é", StringEncoding::ASCII, &error));
    EXPECT_EQ(error.code, CsvErrorInput);
}

TEST(CsvEncodingNames, CommandLineNamesAndTheLocale) {
    EXPECT_EQ(encodingForName("utf-8"), StringEncoding::UTF8);
    EXPECT_EQ(encodingForName("UTF-16LE"), StringEncoding::UTF16LittleEndian);
    EXPECT_EQ(encodingForName("utf-16be"), StringEncoding::UTF16BigEndian);
    EXPECT_EQ(encodingForName("utf-32le"), StringEncoding::UTF32LittleEndian);
    EXPECT_EQ(encodingForName("utf-32be"), StringEncoding::UTF32BigEndian);
    EXPECT_EQ(encodingForName("macintosh"), StringEncoding::MacOSRoman);
    // An unknown name is CsvCommandsTest's usage error.

    brivel::test::ScopedEnv all("LC_ALL", "");
    brivel::test::ScopedEnv ctype("LC_CTYPE", "");
    brivel::test::ScopedEnv lang("LANG", "pl_PL.ISO-8859-2@euro");
    EXPECT_EQ(systemDefaultEncoding(), StringEncoding::ISOLatin2);
    brivel::test::ScopedEnv plain("LANG", "C");
    EXPECT_EQ(systemDefaultEncoding(), StringEncoding::UTF8);
}
