#include "core/csv/CsvWriter.h"

#include "core/csv/CsvAdditions.h"
#include "support/TempDir.h"

#include <cmath>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

using namespace brivel;
using namespace brivel::csv;
namespace fs = std::filesystem;

namespace {

std::string fieldAsWritten(std::string_view text, std::string_view delimiter = ",") {
    CsvWriter w;
    w.setDelimiter(delimiter);
    w.writeField(text);
    return w.stringValue().value_or("<none>");
}

std::string lineAsWritten(std::initializer_list<CsvValue> fields) {
    CsvWriter w;
    w.writeLineWithFields(fields);
    return w.stringValue().value_or("<none>");
}

} // namespace

TEST(CsvWriterFormat, QuotesOnlyFieldsThatNeedItForTheDelimiterInUse) {
    EXPECT_EQ(fieldAsWritten("a,b"), "\"a,b\"");
    EXPECT_EQ(fieldAsWritten("a\"b"), "\"a\"\"b\"");
    EXPECT_EQ(fieldAsWritten("a\\b"), "\"a\\\\b\"");
    EXPECT_EQ(fieldAsWritten("\"\\"), "\"\"\"\\\\\"");
    EXPECT_EQ(fieldAsWritten("#1"), "\"#1\"");
    EXPECT_EQ(fieldAsWritten("Trade #"), "Trade #");
    EXPECT_EQ(fieldAsWritten("\uFEFFx"), "\"\uFEFFx\"");
    EXPECT_EQ(fieldAsWritten("x\uFEFF"), "x\uFEFF");
    EXPECT_EQ(fieldAsWritten("  padded\t"), "  padded\t");
    EXPECT_EQ(fieldAsWritten(""), "");
    EXPECT_EQ(fieldAsWritten("café — ok"), "café — ok");
    // Ill-formed UTF-8 becomes replacement characters.
    EXPECT_EQ(fieldAsWritten(std::string("a\xFF") + "b"), "a\uFFFDb");
    EXPECT_EQ(fieldAsWritten("\xC3,"), "\"\uFFFD,\"");
    for (std::string lineBreak : {"\n", "\r", "\v", "\f", "\u0085", "\u2028", "\u2029"})
        EXPECT_EQ(fieldAsWritten("a" + lineBreak + "b"), "\"a" + lineBreak + "b\"");
    // The delimiter decides which separator needs quotes.
    EXPECT_EQ(fieldAsWritten("a,b", ";"), "a,b");
    EXPECT_EQ(fieldAsWritten("a;b", ";"), "\"a;b\"");
    EXPECT_EQ(fieldAsWritten("a\tb", "\t"), "\"a\tb\"");
    EXPECT_EQ(fieldAsWritten("a§b", "§"), "\"a§b\"");
    EXPECT_EQ(fieldAsWritten("a,b", "§"), "a,b");
}

TEST(CsvWriterFormat, ASpecialCharacterIsFoundWhereverItStands) {
    // Fields are examined in blocks of different sizes; try every length and position.
    for (std::size_t length = 1; length <= 40; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
            for (std::string special : {",", "\"", "\\", "\n", "\r", "\u2028"}) {
                std::string text(length, 'a');
                text.replace(at, 1, special);
                const std::string written = fieldAsWritten(text);
                ASSERT_TRUE(written.size() > text.size() && written.front() == '"')
                    << "length " << length << " at " << at << ": " << written;
            }
            std::string plain(length, 'a');
            plain[at] = 'b';
            ASSERT_EQ(fieldAsWritten(plain), plain);
        }
    }
}

TEST(CsvWriterFormat, LinesJoinFieldsAndEndWithLineFeed) {
    EXPECT_EQ(lineAsWritten({"a", CsvValue(), "b"}), "a,,b\n");
    EXPECT_EQ(lineAsWritten({}), "\n");

    // No text, no string, even once closed.
    CsvWriter w;
    w.writeLineOfFields();
    w.closeFile();
    EXPECT_FALSE(w.stringValue());
    EXPECT_FALSE(w.error());
    w.writeLineOfFields("x", 2, std::optional<std::string>(), std::nullopt, "y");
    w.writeFields("p", "q");
    w.writeLine();
    EXPECT_EQ(w.stringValue(), "x,2,,,y\np,q\n");
    EXPECT_EQ(w.currentField(), 0u);
}

TEST(CsvWriterFormat, ValuesAreWrittenInTheirTextForm) {
    EXPECT_EQ(lineAsWritten({-42, std::uint64_t(18446744073709551615u), 0}),
              "-42,18446744073709551615,0\n");
    EXPECT_EQ(lineAsWritten({1.5, 0.1, -0.25, 1e20, 3.0}),
              "1.5,0.1,-0.25,100000000000000000000,3\n");
    EXPECT_EQ(lineAsWritten({true, false}), "1,0\n");
    // 2024-01-02 15:30:00 UTC and 2024-07-01 12:00:00 UTC, in New York's winter and summer time;
    // fractions of a second are cut off.
    brivel::test::ScopedEnv tz("TZ", "America/New_York");
    EXPECT_EQ(lineAsWritten({Date(1704209400.75), Date(1719835200)}),
              "2024-01-02 10:30:00 -0500,2024-07-01 08:00:00 -0400\n");
    brivel::test::ScopedEnv india("TZ", "Asia/Kolkata");
    EXPECT_EQ(lineAsWritten({Date(-1.5)}), "1970-01-01 05:29:58 +0530\n");
    // No date, no text: an empty field rather than garbage.
    EXPECT_EQ(lineAsWritten({Date(std::nan("")), Date(1e300), "x"}), ",,x\n");
}

TEST(CsvWriterDelimiter, AcceptsOneCharacterOnlyAndOnlyBeforeWriting) {
    CsvWriter w;
    w.setDelimiter("\t");
    // The parser's tests go through the characters refused; here, that the writer asks.
    EXPECT_THROW(w.setDelimiter("\r\n"), std::invalid_argument);
    EXPECT_EQ(w.delimiter(), "\t");
    w.writeCommentLine("comments do not start the writing");
    EXPECT_FALSE(w.hasStarted());
    w.setDelimiter(";");
    w.writeField("a");
    EXPECT_TRUE(w.hasStarted());
    try {
        w.setDelimiter(",");
        ADD_FAILURE();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "You cannot set a delimiter after writing has started");
    }
    w.writeField("b");
    EXPECT_EQ(w.stringValue(), "#comments do not start the writing\na;b");
}

TEST(CsvWriterComments, CommentsEndAnOpenLineAndStayOnCommentLines) {
    CsvWriter w;
    w.writeField("a");
    w.writeCommentLine("x, \"y\"");
    w.writeField("b");
    w.writeLine();
    // Each line of a multi-line comment is a comment line of its own.
    w.writeCommentLine("one\r\ntwo\nthree");
    EXPECT_EQ(w.stringValue(), "a\n#x, \"y\"\nb\n#one\n#two\n#three\n");
    EXPECT_EQ(CSVComponents(*w.stringValue()), (CsvLines{{"a"}, {"b"}}));
}

TEST(CsvWriterEncoding, FileTextFollowsTheChosenEncoding) {
    brivel::test::TempDir dir;
    {
        CsvWriter w(dir / "le.csv", false);
        EXPECT_EQ(w.encoding(), StringEncoding::None);
        w.setEncoding(StringEncoding::UTF16LittleEndian);
        w.writeLineWithFields({"é", "a,b"});
        EXPECT_EQ(w.encoding(), StringEncoding::UTF16LittleEndian);
    }
    EXPECT_EQ(brivel::test::readFile(dir / "le.csv"),
              std::string("\xE9\0,\0\"\0a\0,\0b\0\"\0\n\0", 16));
    {
        CsvWriter w(dir / "mac.csv", false);
        w.writeField("é");
        w.setEncoding(StringEncoding::MacOSRoman);
        w.writeField("é");
        EXPECT_THROW(w.setEncoding(static_cast<StringEncoding>(999)), std::invalid_argument);
    }
    EXPECT_EQ(brivel::test::readFile(dir / "mac.csv"), "\xC3\xA9,\x8E");
    CsvWriter w;
    w.writeField("x");
    EXPECT_EQ(w.encoding(), StringEncoding::UTF8);
}

TEST(CsvWriterFile, InPlaceTruncatesAtOnceAndHoldsEverythingAfterClosing) {
    brivel::test::TempDir dir;
    const auto path = dir / "out.csv";
    brivel::test::writeFile(path, "old content\n");
    CsvWriter w(path, false);
    EXPECT_EQ(brivel::test::readFile(path), "");
    EXPECT_EQ(w.handleFile(), path.string());
    std::string expected;
    for (int i = 0; i < 40000; ++i) {
        w.writeLineWithFields({i, "text, with comma", "plain"});
        expected += std::to_string(i) + ",\"text, with comma\",plain\n";
    }
    w.closeFile();
    EXPECT_FALSE(w.error());
    EXPECT_EQ(brivel::test::readFile(path), expected);
    w.closeFile(); // again: nothing
    // Text after closing stays in memory and never reaches the file.
    w.writeField("late");
    EXPECT_EQ(w.stringValue(), "late");
    EXPECT_EQ(brivel::test::readFile(path), expected);
}

TEST(CsvWriterFile, DevicesAndPipesAreWrittenNotReplaced) {
    brivel::test::TempDir dir;
    const auto fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = brivel::test::readFile(fifo); });
    {
        CsvWriter w(fifo, false);
        w.writeLineWithFields({"through", "the pipe"});
    }
    reader.join();
    EXPECT_EQ(received, "through,the pipe\n");
    EXPECT_TRUE(fs::is_fifo(fifo));
    {
        CsvWriter w("/dev/null", false);
        w.writeLineWithFields({"gone"});
        w.closeFile();
        EXPECT_FALSE(w.error());
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST(CsvWriterFile, AtomicLeavesTheDestinationAloneUntilClosed) {
    brivel::test::TempDir dir;
    const auto path = dir / "atomic.csv";
    brivel::test::writeFile(path, "old\n");
    {
        CsvWriter w(path, true);
        ASSERT_TRUE(w.handleFile());
        const fs::path temp(*w.handleFile());
        // Beside the destination, so that moving it into place is one rename.
        EXPECT_EQ(temp.parent_path(), dir.path());
        EXPECT_NE(temp, path);
        w.writeLineWithFields({"new"});
        w.closeFile();
        EXPECT_FALSE(w.error());
        EXPECT_FALSE(fs::exists(temp));
    }
    EXPECT_EQ(brivel::test::readFile(path), "new\n");
    {
        CsvWriter w(path, true);
        w.writeLineWithFields({"newer"});
        EXPECT_EQ(brivel::test::readFile(path), "new\n");
    } // the destructor closes
    EXPECT_EQ(brivel::test::readFile(path), "newer\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(CsvWriterFile, AFileThatCannotBeMadeOrMovedIntoPlaceIsReported) {
    brivel::test::TempDir dir;
    // A folder in the way is not removed to make room.
    fs::create_directory(dir / "taken");
    brivel::test::writeFile(dir / "taken" / "keep", "x");
    const std::pair<fs::path, bool> cases[] = {
        {dir / "missing" / "out.csv", false}, // fails at once: nothing is collected
        {dir / "missing" / "out.csv", true},  // fails when moved into place
        {dir / "taken", true},
    };
    for (const auto& [path, atomic] : cases) {
        SCOPED_TRACE(path.string() + (atomic ? " atomic" : ""));
        CsvWriter w(path, atomic);
        EXPECT_TRUE(atomic || w.error()) << "a file that cannot be made is reported at once";
        w.writeLineWithFields({"a", "b"});
        w.closeFile();
        ASSERT_TRUE(w.error());
        EXPECT_EQ(w.error()->domain, errors::FileDomain);
        EXPECT_FALSE(w.stringValue());
        EXPECT_TRUE(atomic ||
                    w.error()->message().find("No such file or directory") != std::string::npos);
    }
    EXPECT_EQ(brivel::test::readFile(dir / "taken" / "keep"), "x");
    EXPECT_FALSE(fs::exists(dir / "missing"));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "no temporary file left behind";
}

TEST(CsvWriterFile, LargeFilesHoldExactlyTheTextCollectedInMemory) {
    // Megabytes, written by the second thread, with one field larger than any buffer between
    // ordinary lines: it must land where it was written.
    brivel::test::TempDir dir;
    const auto path = dir / "large.csv";
    CsvWriter file(path, false), memory;
    const std::string huge(700 * 1024, 'h');
    for (int i = 0; i < 120000; ++i) {
        const std::vector<CsvValue> line = {i, "quote \" here", "plain text", i * 0.5};
        file.writeLineWithFields(line);
        memory.writeLineWithFields(line);
        if (i == 60000) {
            file.writeLineWithFields({huge});
            memory.writeLineWithFields({huge});
        }
    }
    file.closeFile();
    EXPECT_FALSE(file.error());
    const std::string written = brivel::test::readFile(path);
    EXPECT_GT(written.size(), 4u << 20);
    EXPECT_TRUE(written == memory.stringValue());
}

TEST(CsvWriterFile, AFailedWriteIsReportedAndNeverReplacesTheDestination) {
    // The file may grow to a limit; the write past it fails with EFBIG: within the first
    // buffer, and later, when the second thread writes.
    struct Limit {
        rlimit old{};
        void (*oldHandler)(int);
        explicit Limit(rlim_t bytes) {
            getrlimit(RLIMIT_FSIZE, &old);
            rlimit small = old;
            small.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &small);
            oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        }
        ~Limit() {
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        }
    };
    for (const rlim_t limit : {rlim_t(64) << 10, rlim_t(1) << 20}) {
        SCOPED_TRACE(limit);
        brivel::test::TempDir dir;
        const auto path = dir / "big.csv";
        brivel::test::writeFile(path, "keep me\n");
        std::optional<Error> error;
        {
            Limit small(limit);
            CsvWriter w(path, true);
            for (int i = 0; i < 200000; ++i)
                w.writeLineWithFields({"some text", i});
            w.closeFile();
            error = w.error();
        }
        ASSERT_TRUE(error);
        EXPECT_NE(error->message().find("Unable to write"), std::string::npos);
        EXPECT_EQ(brivel::test::readFile(path), "keep me\n");
    }
}
