#include "core/csv/CsvLinesAggregator.h"

namespace brivel::csv {

void CsvLinesAggregator::parserDidStartDocument(CsvParser&, const std::optional<std::string>&) {
    m_lines.clear();
}

void CsvLinesAggregator::parserDidStartLine(CsvParser&, std::uint64_t) {
    m_currentLine.emplace();
}

void CsvLinesAggregator::parserDidEndLine(CsvParser&, std::uint64_t) {
    if (m_currentLine && !m_currentLine->empty())
        m_lines.push_back(std::move(*m_currentLine));
    m_currentLine.reset();
}

void CsvLinesAggregator::parserDidReadField(CsvParser&, std::string_view field) {
    if (m_currentLine)
        m_currentLine->emplace_back(field);
}

void CsvLinesAggregator::parserDidEndDocument(CsvParser&, const std::optional<std::string>&) {}

void CsvLinesAggregator::parserDidFailWithError(CsvParser&, const Error& error) {
    m_error = error;
}

} // namespace brivel::csv
