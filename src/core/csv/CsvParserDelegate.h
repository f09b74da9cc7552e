#pragma once

#include "core/platform/Error.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brivel::csv {

class CsvParser;

// Receives what the parser reads, in document order, on the thread that runs parse().
class CsvParserDelegate {
public:
    virtual ~CsvParserDelegate() = default;

    // csvFile is the path when the parser reads a file, nullopt otherwise.
    virtual void parserDidStartDocument(CsvParser& parser,
                                        const std::optional<std::string>& csvFile) = 0;
    virtual void parserDidStartLine(CsvParser& parser, std::uint64_t lineNumber) = 0;
    virtual void parserDidEndLine(CsvParser& parser, std::uint64_t lineNumber) = 0;
    // The field's final text. The view lasts until the call returns; keep a copy to hold on.
    virtual void parserDidReadField(CsvParser& parser, std::string_view field) = 0;
    virtual void parserDidEndDocument(CsvParser& parser,
                                      const std::optional<std::string>& csvFile) = 0;
    virtual void parserDidFailWithError(CsvParser& parser, const Error& error) = 0;
};

} // namespace brivel::csv
