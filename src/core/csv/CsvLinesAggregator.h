#pragma once

#include "core/csv/CsvParserDelegate.h"

#include <optional>
#include <string>
#include <vector>

namespace brivel::csv {

// A line of fields, and the lines of a text.
using CsvLine = std::vector<std::string>;
using CsvLines = std::vector<CsvLine>;

// A parser delegate that collects the lines into an array; lines without fields are left out.
class CsvLinesAggregator final : public CsvParserDelegate {
public:
    const CsvLines& lines() const { return m_lines; }
    CsvLines takeLines() { return std::move(m_lines); }
    const std::optional<Error>& error() const { return m_error; }

    void parserDidStartDocument(CsvParser& parser,
                                const std::optional<std::string>& csvFile) override;
    void parserDidStartLine(CsvParser& parser, std::uint64_t lineNumber) override;
    void parserDidEndLine(CsvParser& parser, std::uint64_t lineNumber) override;
    void parserDidReadField(CsvParser& parser, std::string_view field) override;
    void parserDidEndDocument(CsvParser& parser,
                              const std::optional<std::string>& csvFile) override;
    void parserDidFailWithError(CsvParser& parser, const Error& error) override;

private:
    CsvLines m_lines;
    std::optional<CsvLine> m_currentLine;
    std::optional<Error> m_error;
};

} // namespace brivel::csv
