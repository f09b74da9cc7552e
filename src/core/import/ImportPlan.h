#pragma once

#include "core/platform/Date.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brivel::import {

// The two kinds of file an import reads: the program's own trade export, or a broker's list of
// executions.
enum class ImportFormat { Brivel, Executions };

// "brivel" / "executions", as the command line and the JSON summary name them.
const char* formatName(ImportFormat format);

// One order as it will be created: every attribute exactly as it will be set.
struct PlannedOrder {
    std::optional<Date> date;
    std::optional<std::string> desc;
    bool isBuy = true;
    std::optional<std::int32_t> numShares;
    std::optional<double> price;
    std::optional<double> commission;
    std::optional<std::string> reason;
    std::uint64_t line = 0; // the file line it came from (the parser's numbering)
};

// One trade as it will be created, with its orders in the order they will be added.
struct PlannedTrade {
    std::optional<std::string> ticker;
    std::optional<std::string> strategy; // by name; resolved against the preferences on import
    std::vector<PlannedOrder> orders;
};

// A line that could not be understood: where, which column, what it held and why.
struct BadLine {
    std::uint64_t line = 0;
    std::string column;
    std::string value;
    std::string message;
};

// Which file column feeds one field of an execution (broker files only).
struct ColumnMatch {
    std::string field;                // "date", "symbol", ...
    std::vector<std::size_t> columns; // positions in the header; several only for commission
    bool mapped = false;              // chosen with --map rather than by name
};

// Everything read from a file, before anything is written.
struct ImportPlan {
    ImportFormat format = ImportFormat::Executions;
    std::vector<std::string> header;
    std::vector<ColumnMatch> columns;
    std::vector<PlannedTrade> trades;
    // The bad lines, in file order; only the first kMaxBadLinesKept are kept in full.
    std::vector<BadLine> badLines;
    std::size_t badLineCount = 0;
    std::size_t duplicatesSkipped = 0;
    std::size_t linesRead = 0; // data lines, the header not counted
    // A failure that stops the whole import: the file cannot be read, the CSV text is
    // malformed, the header lacks a required column. Bad data lines are in badLines instead.
    std::optional<std::string> failure;

    static constexpr std::size_t kMaxBadLinesKept = 1000;

    std::size_t orderCount() const;
    void addBadLine(BadLine bad);
};

} // namespace brivel::import
