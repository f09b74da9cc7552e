// Any bytes, read in small and large chunks, with any delimiter and encoding choice: the parser
// must not crash, must report its callbacks in a well-formed order, must deliver UTF-8 fields,
// and must report the same things whatever the chunk size.
#include "core/csv/CsvCharacters.h"
#include "core/csv/CsvParser.h"
#include "core/csv/DataInputStream.h"
#include "core/platform/SystemLog.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace brivel;
using namespace brivel::csv;

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// Writes the callbacks down and checks their order as they come.
class Checker final : public CsvParserDelegate {
public:
    std::string log;

    void parserDidStartDocument(CsvParser&, const std::optional<std::string>&) override {
        check(!started, "one start");
        started = true;
        log += 'D';
    }
    void parserDidStartLine(CsvParser&, std::uint64_t n) override {
        check(started && !inLine && !ended, "line starts between lines");
        check(n == lastLine + 1, "lines counted one by one");
        lastLine = n;
        inLine = true;
        log += "L" + std::to_string(n);
    }
    void parserDidEndLine(CsvParser&, std::uint64_t n) override {
        check(inLine && n == lastLine, "line ends the open line");
        inLine = false;
        log += 'l';
    }
    void parserDidReadField(CsvParser&, std::string_view field) override {
        check(inLine, "fields inside lines");
        check(chars::isValidUtf8(field), "fields are UTF-8");
        log += 'F';
        log += std::to_string(field.size());
        log += ':';
        log.append(field);
    }
    void parserDidEndDocument(CsvParser&, const std::optional<std::string>&) override {
        check(started && !ended && !inLine, "end after the last line");
        ended = true;
        log += 'E';
    }
    void parserDidFailWithError(CsvParser&, const Error& e) override {
        check(started && !ended, "one failure at the end");
        check(e.code >= 1 && e.code <= 2, "known codes");
        ended = true;
        log += "X" + std::to_string(e.code);
    }

private:
    bool started = false;
    bool inLine = false;
    bool ended = false;
    std::uint64_t lastLine = 0;
};

// The detection's log lines are expected; keep them off the fuzzer's output.
class SilentLog final : public SystemLog {
public:
    void log(const std::string&) override {}
};

std::string run(const std::string& bytes, StringEncoding encoding, const char* delimiter,
                std::size_t chunkSize) {
    StringEncoding used = encoding;
    auto parser = CsvParser::initWithStream(std::make_unique<DataInputStream>(bytes), &used);
    check(parser != nullptr, "a memory stream always opens");
    parser->setDelimiter(delimiter);
    parser->setChunkSize(chunkSize);
    Checker checker;
    parser->setParserDelegate(&checker);
    parser->parse();
    check(!checker.log.empty() &&
              (checker.log.back() == 'E' || checker.log[checker.log.size() - 2] == 'X'),
          "finished");
    return checker.log;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static SilentLog silent;
    setSystemLog(&silent);
    if (size < 1)
        return 0;
    static constexpr std::array<const char*, 6> kDelimiters = {",", ";", "\t", "|", "§", " "};
    static constexpr std::array<StringEncoding, 5> kEncodings = {
        StringEncoding::None, StringEncoding::UTF8, StringEncoding::UTF16LittleEndian,
        StringEncoding::MacOSRoman, StringEncoding::UTF32BigEndian};
    static constexpr std::array<std::size_t, 6> kChunks = {1, 2, 3, 7, 64, 2048};
    const std::uint8_t options = data[0];
    const char* delimiter = kDelimiters[options % kDelimiters.size()];
    const StringEncoding encoding = kEncodings[(options / 8) % kEncodings.size()];
    const std::size_t chunk = kChunks[(options / 64) % kChunks.size()];
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string big = run(bytes, encoding, delimiter, CsvParser::kDefaultChunkSize);
    // Detection looks at the first chunk only, so compare chunk sizes with a given encoding.
    if (encoding != StringEncoding::None)
        check(run(bytes, encoding, delimiter, chunk) == big, "the chunk size changes nothing");
    return 0;
}
