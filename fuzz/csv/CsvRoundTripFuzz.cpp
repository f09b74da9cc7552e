// Lines made from the input, written by CsvWriter and read back by CsvParser: every field must
// come back, trimmed of white space and line breaks at its ends; a line of one empty field may
// vanish.
#include "core/csv/CsvAdditions.h"
#include "core/csv/CsvCharacters.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace brivel;
using namespace brivel::csv;

namespace {

CsvLines withoutEmptyLines(CsvLines lines) {
    std::erase_if(lines, [](const CsvLine& l) { return l.empty() || l == CsvLine{""}; });
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    static constexpr std::array<const char*, 5> kDelimiters = {",", ";", "\t", "|", "§"};
    const char* delimiter = kDelimiters[data[0] % kDelimiters.size()];
    // Byte 0x1E ends a line and 0x1F a field; the rest, made valid UTF-8, is field text.
    std::string text;
    chars::appendSanitizedUtf8(text,
                               std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    CsvLines lines(1);
    lines.back().emplace_back();
    for (char c : text) {
        if (c == '\x1E') {
            lines.emplace_back();
            lines.back().emplace_back();
        } else if (c == '\x1F') {
            lines.back().emplace_back();
        } else {
            lines.back().back() += c;
        }
    }
    const auto written = CSVStringWithDelimiter(lines, delimiter);
    if (!written)
        std::abort();
    Error error;
    const auto read =
        arrayWithContentsOfCSVString(*written, StringEncoding::UTF8, delimiter, &error);
    if (!read) {
        std::fprintf(stderr, "written text does not read back: %s\n",
                     error.localizedDescription.c_str());
        std::abort();
    }
    for (auto& line : lines)
        for (auto& field : line)
            field = std::string(chars::trimWhiteSpaceAndLineBreaks(field));
    if (withoutEmptyLines(*read) != withoutEmptyLines(lines)) {
        std::fprintf(stderr, "fields changed on the way\n");
        std::abort();
    }
    return 0;
}
