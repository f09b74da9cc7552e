#pragma once

#include "core/import/ImportPlan.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace brivel::import {

// One fill of a broker's file.
struct Execution {
    std::string symbol;
    Date date;
    bool isBuy = true;
    std::int32_t shares = 0; // more than 0
    double price = 0.0;
    std::optional<double> commission;
    std::optional<std::string> description; // becomes the order's reason
    std::uint64_t line = 0;
};

// Makes trades of executions, per symbol in time order (file order breaks ties): a trade opens
// when the position leaves zero and closes when it comes back to zero, longs and shorts alike.
// An execution that takes the position through zero is split into a closing order and an opening
// order of a new trade, its commission shared in proportion to the shares. The orders of one
// trade share one description, the symbol and the opening day, so the bookkeeping closes what
// balances.
class ExecutionGrouper {
public:
    // Trades in the order they opened.
    static std::vector<PlannedTrade> group(std::vector<Execution> executions);
};

} // namespace brivel::import
