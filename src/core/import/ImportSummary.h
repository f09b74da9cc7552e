#pragma once

#include "core/import/ImportPlan.h"

#include <cstddef>
#include <string>
#include <vector>

namespace brivel::import {

// What an import created (or, in a dry run, would create).
struct ImportSummary {
    ImportFormat format = ImportFormat::Executions;
    std::size_t tradesCreated = 0;
    std::size_t ordersCreated = 0;
    std::size_t tradesClosed = 0;
    double netProfit = 0.0; // of the closed trades created
    std::size_t duplicatesSkipped = 0;
    std::vector<std::string> strategiesAdded;
    std::vector<BadLine> skippedLines; // the bad lines left out (--skip-bad-lines)
    std::size_t skippedLineCount = 0;
};

} // namespace brivel::import
