#include "core/csv/CsvAdditions.h"

#include "core/csv/CsvError.h"
#include "core/csv/CsvParser.h"
#include "core/csv/CsvWriter.h"
#include "core/csv/FileInputStream.h"

namespace brivel::csv {

namespace {

std::optional<CsvLines> parseAll(std::unique_ptr<CsvParser> parser, std::string_view delimiter,
                                 Error* error) {
    if (!parser)
        return std::nullopt; // the error is already stored
    parser->setDelimiter(delimiter);
    CsvLinesAggregator aggregator;
    parser->setParserDelegate(&aggregator);
    parser->parse();
    if (aggregator.error()) {
        if (error)
            *error = *aggregator.error();
        return std::nullopt;
    }
    return aggregator.takeLines();
}

Error invalidStructure() {
    Error e;
    e.domain = CsvErrorDomain;
    e.code = CsvErrorFormat;
    e.localizedDescription = "Invalid array structure";
    return e;
}

bool checkStructure(const std::vector<CsvValue>& lines, Error* error) {
    for (const auto& line : lines) {
        if (!line.isArray()) {
            if (error)
                *error = invalidStructure();
            return false;
        }
    }
    return true;
}

template <class Lines> void writeLines(CsvWriter& writer, const Lines& lines) {
    for (const auto& line : lines) {
        if constexpr (std::is_same_v<Lines, CsvLines>)
            writer.writeLineWithFields(line);
        else
            writer.writeLineWithFields(line.array());
    }
}

template <class Lines>
std::optional<std::string> stringOf(const Lines& lines, std::string_view delimiter) {
    CsvWriter writer;
    writer.setDelimiter(delimiter);
    writeLines(writer, lines);
    return writer.stringValue();
}

template <class Lines>
bool fileOf(const Lines& lines, const std::filesystem::path& path, std::string_view delimiter,
            bool atomically, Error* error) {
    CsvWriter writer(path, atomically);
    writer.setDelimiter(delimiter);
    writeLines(writer, lines);
    writer.closeFile();
    if (writer.error()) {
        if (error)
            *error = *writer.error();
        return false;
    }
    return true;
}

} // namespace

std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding* usedEncoding,
                                                     std::string_view delimiter, Error* error) {
    return parseAll(CsvParser::initWithStream(std::move(stream), usedEncoding, error), delimiter,
                    error);
}

std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding* usedEncoding, Error* error) {
    return arrayWithContentsOfCSVStream(std::move(stream), usedEncoding, kDefaultDelimiter, error);
}

std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding encoding,
                                                     std::string_view delimiter, Error* error) {
    return arrayWithContentsOfCSVStream(std::move(stream), &encoding, delimiter, error);
}

std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding encoding, Error* error) {
    return arrayWithContentsOfCSVStream(std::move(stream), &encoding, kDefaultDelimiter, error);
}

std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding* usedEncoding,
                                                   std::string_view delimiter, Error* error) {
    return parseAll(CsvParser::initWithContentsOfCSVFile(path, usedEncoding, error), delimiter,
                    error);
}

std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding* usedEncoding, Error* error) {
    return arrayWithContentsOfCSVFile(path, usedEncoding, kDefaultDelimiter, error);
}

std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding encoding,
                                                   std::string_view delimiter, Error* error) {
    return arrayWithContentsOfCSVFile(path, &encoding, delimiter, error);
}

std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding encoding, Error* error) {
    return arrayWithContentsOfCSVFile(path, &encoding, kDefaultDelimiter, error);
}

std::optional<CsvLines> arrayWithContentsOfCSVString(std::string_view text, StringEncoding encoding,
                                                     std::string_view delimiter, Error* error) {
    return parseAll(CsvParser::initWithCSVString(text, encoding, error), delimiter, error);
}

std::optional<CsvLines> arrayWithContentsOfCSVString(std::string_view text, StringEncoding encoding,
                                                     Error* error) {
    return arrayWithContentsOfCSVString(text, encoding, kDefaultDelimiter, error);
}

std::optional<CsvLines> CSVComponents(std::string_view text) {
    // Text here is UTF-8 already, which represents any string without loss.
    return arrayWithContentsOfCSVString(text, StringEncoding::UTF8);
}

std::optional<std::string> CSVStringWithDelimiter(const std::vector<CsvValue>& lines,
                                                  std::string_view delimiter, Error* error) {
    if (!checkStructure(lines, error))
        return std::nullopt;
    return stringOf(lines, delimiter);
}

std::optional<std::string> CSVStringWithDelimiter(const CsvLines& lines, std::string_view delimiter,
                                                  Error*) {
    return stringOf(lines, delimiter);
}

std::optional<std::string> CSVString(const std::vector<CsvValue>& lines) {
    return CSVStringWithDelimiter(lines, kDefaultDelimiter);
}

std::optional<std::string> CSVString(const CsvLines& lines) {
    return CSVStringWithDelimiter(lines, kDefaultDelimiter);
}

bool writeToCSVFile(const std::vector<CsvValue>& lines, const std::filesystem::path& path,
                    std::string_view delimiter, bool atomically, Error* error) {
    if (!checkStructure(lines, error))
        return false;
    return fileOf(lines, path, delimiter, atomically, error);
}

bool writeToCSVFile(const std::vector<CsvValue>& lines, const std::filesystem::path& path,
                    bool atomically, Error* error) {
    return writeToCSVFile(lines, path, kDefaultDelimiter, atomically, error);
}

bool writeToCSVFile(const CsvLines& lines, const std::filesystem::path& path,
                    std::string_view delimiter, bool atomically, Error* error) {
    return fileOf(lines, path, delimiter, atomically, error);
}

bool writeToCSVFile(const CsvLines& lines, const std::filesystem::path& path, bool atomically,
                    Error* error) {
    return writeToCSVFile(lines, path, kDefaultDelimiter, atomically, error);
}

} // namespace brivel::csv
