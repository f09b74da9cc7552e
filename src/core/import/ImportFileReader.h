#pragma once

#include "core/csv/CsvParserDelegate.h"
#include "core/import/DuplicateIndex.h"
#include "core/import/ImportOptions.h"
#include "core/import/ImportPlan.h"
#include "core/import/ImportRowReader.h"

#include <filesystem>
#include <functional>
#include <memory>

namespace brivel::import {

// Reads an import file through the CSV parser (any encoding it detects) into a plan: the header
// decides the format unless the options fix it, then every data line goes to the reader of that
// format. Nothing is written: the plan says what would be created and which lines are bad.
class ImportFileReader final : public csv::CsvParserDelegate {
public:
    // Told every 4096 lines with the number of lines read; returning false cancels the reading.
    using Progress = std::function<bool(std::uint64_t linesRead)>;

    // duplicates: the account's executions (nullptr: nothing counts as a duplicate).
    ImportFileReader(const ImportOptions& options, DuplicateIndex* duplicates,
                     Progress progress = {});
    ~ImportFileReader() override;

    static ImportPlan read(const std::filesystem::path& file, const ImportOptions& options,
                           DuplicateIndex* duplicates, Progress progress = {});

    void parserDidStartDocument(csv::CsvParser& parser,
                                const std::optional<std::string>& csvFile) override;
    void parserDidStartLine(csv::CsvParser& parser, std::uint64_t lineNumber) override;
    void parserDidEndLine(csv::CsvParser& parser, std::uint64_t lineNumber) override;
    void parserDidReadField(csv::CsvParser& parser, std::string_view field) override;
    void parserDidEndDocument(csv::CsvParser& parser,
                              const std::optional<std::string>& csvFile) override;
    void parserDidFailWithError(csv::CsvParser& parser, const Error& error) override;

    ImportPlan takePlan() { return std::move(m_plan); }

private:
    void startFormat(std::vector<std::string> header);

    const ImportOptions& m_options;
    DuplicateIndex* m_duplicates;
    Progress m_progress;
    ImportPlan m_plan;
    std::unique_ptr<ImportRowReader> m_reader;
    std::vector<std::string> m_fields;
    bool m_haveHeader = false;
    bool m_cancelled = false;
};

} // namespace brivel::import
