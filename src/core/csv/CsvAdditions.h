#pragma once

#include "core/csv/CsvLinesAggregator.h"
#include "core/csv/CsvValue.h"
#include "core/csv/InputStream.h"
#include "core/csv/StringEncoding.h"
#include "core/platform/Error.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One-call conversions between CSV text and lines arrays, on top of CsvParser and CsvWriter.
namespace brivel::csv {

inline constexpr std::string_view kDefaultDelimiter = ",";

// ---- Reading ---------------------------------------------------------------------------------
// Each gives the lines of the input, or nullopt with the error stored through `error` (when
// given) if the input cannot be opened, read, decoded or parsed, or the parse is cancelled.
// An encoding of None, or a pointer to None, asks for detection; through a pointer the encoding
// in use is written back. A delimiter the parser rejects throws std::invalid_argument.

std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding* usedEncoding,
                                                     std::string_view delimiter,
                                                     Error* error = nullptr);
std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding* usedEncoding,
                                                     Error* error = nullptr);
std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding encoding,
                                                     std::string_view delimiter,
                                                     Error* error = nullptr);
std::optional<CsvLines> arrayWithContentsOfCSVStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding encoding,
                                                     Error* error = nullptr);

std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding* usedEncoding,
                                                   std::string_view delimiter,
                                                   Error* error = nullptr);
std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding* usedEncoding,
                                                   Error* error = nullptr);
std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding encoding,
                                                   std::string_view delimiter,
                                                   Error* error = nullptr);
std::optional<CsvLines> arrayWithContentsOfCSVFile(const std::filesystem::path& path,
                                                   StringEncoding encoding, Error* error = nullptr);

// The (UTF-8) text is first turned into bytes of the encoding; None reads its UTF-8 bytes with
// detection.
std::optional<CsvLines> arrayWithContentsOfCSVString(std::string_view text, StringEncoding encoding,
                                                     std::string_view delimiter,
                                                     Error* error = nullptr);
std::optional<CsvLines> arrayWithContentsOfCSVString(std::string_view text, StringEncoding encoding,
                                                     Error* error = nullptr);

// The lines of the text with the default delimiter; nullopt on failure.
std::optional<CsvLines> CSVComponents(std::string_view text);

// ---- Writing ---------------------------------------------------------------------------------
// A lines array for writing holds one array value per line; anything else is refused with
// "Invalid array structure" (CsvErrorDomain, code 2) before anything is written.

// The CSV text of the lines; nullopt for no lines (and for an invalid structure, with the
// error stored).
std::optional<std::string> CSVStringWithDelimiter(const std::vector<CsvValue>& lines,
                                                  std::string_view delimiter,
                                                  Error* error = nullptr);
std::optional<std::string> CSVStringWithDelimiter(const CsvLines& lines, std::string_view delimiter,
                                                  Error* error = nullptr);
std::optional<std::string> CSVString(const std::vector<CsvValue>& lines);
std::optional<std::string> CSVString(const CsvLines& lines);

// Writes the lines to the file; false, with the error stored, when the structure is invalid or
// the file cannot be created, written or moved into place.
bool writeToCSVFile(const std::vector<CsvValue>& lines, const std::filesystem::path& path,
                    std::string_view delimiter, bool atomically, Error* error = nullptr);
bool writeToCSVFile(const std::vector<CsvValue>& lines, const std::filesystem::path& path,
                    bool atomically, Error* error = nullptr);
bool writeToCSVFile(const CsvLines& lines, const std::filesystem::path& path,
                    std::string_view delimiter, bool atomically, Error* error = nullptr);
bool writeToCSVFile(const CsvLines& lines, const std::filesystem::path& path, bool atomically,
                    Error* error = nullptr);

} // namespace brivel::csv
