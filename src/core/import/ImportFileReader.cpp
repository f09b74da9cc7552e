#include "core/import/ImportFileReader.h"

#include "core/csv/CsvParser.h"
#include "core/import/BrivelTradeReader.h"
#include "core/import/ColumnMatcher.h"
#include "core/import/ExecutionReader.h"

#include <algorithm>
#include <fmt/format.h>

namespace brivel::import {

ImportFileReader::ImportFileReader(const ImportOptions& options, DuplicateIndex* duplicates,
                                   Progress progress)
    : m_options(options), m_duplicates(duplicates), m_progress(std::move(progress)) {}

ImportFileReader::~ImportFileReader() = default;

ImportPlan ImportFileReader::read(const std::filesystem::path& file, const ImportOptions& options,
                                  DuplicateIndex* duplicates, Progress progress) {
    Error error;
    csv::StringEncoding detect = csv::StringEncoding::None;
    auto parser = csv::CsvParser::initWithContentsOfCSVFile(file, &detect, &error);
    if (!parser) {
        ImportPlan plan;
        plan.failure = fmt::format("cannot read \"{}\": {}", file.string(), error.message());
        return plan;
    }
    ImportFileReader reader(options, duplicates, std::move(progress));
    parser->setParserDelegate(&reader);
    parser->parse();
    return reader.takePlan();
}

void ImportFileReader::startFormat(std::vector<std::string> header) {
    const bool ownHeader = BrivelTradeReader::isHeader(header);
    m_plan.format =
        m_options.format.value_or(ownHeader ? ImportFormat::Brivel : ImportFormat::Executions);
    m_plan.header = header;
    DuplicateIndex* duplicates = m_options.keepDuplicates ? nullptr : m_duplicates;
    if (m_plan.format == ImportFormat::Brivel) {
        if (!ownHeader) {
            m_plan.failure = "the first line is not the trade export's header (\"Trade #,Order "
                             "Date,Ticker,Description,Buy/Sell,Quantity,Price,Commission,Reason,"
                             "Strategy\")";
            return;
        }
        m_reader = std::make_unique<BrivelTradeReader>(duplicates);
        return;
    }
    ColumnMatcher columns;
    if (!columns.match(header, m_options.columnMap)) {
        m_plan.failure = *columns.failure();
        return;
    }
    m_plan.columns = columns.matches();
    m_reader = std::make_unique<ExecutionReader>(columns, std::move(header), duplicates);
}

void ImportFileReader::parserDidStartDocument(csv::CsvParser&, const std::optional<std::string>&) {}

void ImportFileReader::parserDidStartLine(csv::CsvParser&, std::uint64_t) {
    m_fields.clear();
}

void ImportFileReader::parserDidReadField(csv::CsvParser&, std::string_view field) {
    m_fields.emplace_back(field);
}

void ImportFileReader::parserDidEndLine(csv::CsvParser& parser, std::uint64_t lineNumber) {
    // Empty lines at the start or the end of a file come as one empty field.
    if (std::all_of(m_fields.begin(), m_fields.end(), [](const auto& f) { return f.empty(); }))
        return;
    if (!m_haveHeader) {
        m_haveHeader = true;
        startFormat(std::move(m_fields));
        m_fields = {};
        if (m_plan.failure)
            parser.cancelParsing();
        return;
    }
    ++m_plan.linesRead;
    m_reader->row(lineNumber, m_fields, m_plan);
    if (m_progress && m_plan.linesRead % 4096 == 0 && !m_progress(m_plan.linesRead)) {
        m_cancelled = true;
        parser.cancelParsing();
    }
}

void ImportFileReader::parserDidEndDocument(csv::CsvParser&, const std::optional<std::string>&) {
    if (!m_haveHeader) {
        m_plan.failure = "the file is empty";
        return;
    }
    m_reader->finish(m_plan);
}

void ImportFileReader::parserDidFailWithError(csv::CsvParser&, const Error& error) {
    if (m_plan.failure)
        return; // the header was refused; the cancellation that followed says nothing new
    m_plan.failure = m_cancelled ? std::string("the import was cancelled")
                                 : fmt::format("the file is not readable CSV: {}", error.message());
    m_plan.trades.clear();
}

} // namespace brivel::import
