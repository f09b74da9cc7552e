#pragma once

#include "core/import/ColumnMatcher.h"
#include "core/import/DuplicateIndex.h"
#include "core/import/ExecutionGrouper.h"
#include "core/import/ImportDateParser.h"
#include "core/import/ImportRowReader.h"

namespace brivel::import {

// Reads a broker's execution file through the matched columns; the executions become trades
// once every line is read (ExecutionGrouper).
class ExecutionReader final : public ImportRowReader {
public:
    // duplicates: the account's executions, or nullptr to keep duplicates.
    ExecutionReader(const ColumnMatcher& columns, std::vector<std::string> header,
                    DuplicateIndex* duplicates)
        : m_columns(columns), m_header(std::move(header)), m_duplicates(duplicates) {}

    void row(std::uint64_t line, const std::vector<std::string>& fields, ImportPlan& plan) override;
    void finish(ImportPlan& plan) override;

private:
    bool read(std::uint64_t line, const std::vector<std::string>& fields, ImportPlan& plan,
              Execution& e);

    ColumnMatcher m_columns;
    std::vector<std::string> m_header;
    DuplicateIndex* m_duplicates;
    ImportDateParser m_dates;
    std::vector<Execution> m_executions;
};

} // namespace brivel::import
