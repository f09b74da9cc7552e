#pragma once

#include "core/import/ImportPlan.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brivel::import {

// What the user chose for one import.
struct ImportOptions {
    // Unset: a file whose first line is the trade export's header is the program's own format,
    // anything else a broker's executions.
    std::optional<ImportFormat> format;
    // Execution fields matched to columns by the user: {"price", "Fill Price"}. A column is
    // named by its header text (any case) or by its position counted from 1; an empty column
    // means none (for the optional fields).
    std::vector<std::pair<std::string, std::string>> columnMap;
    // Import the lines that are understood and list the others, instead of refusing the file.
    bool skipBadLines = false;
    // Create executions that the account already holds.
    bool keepDuplicates = false;
};

} // namespace brivel::import
