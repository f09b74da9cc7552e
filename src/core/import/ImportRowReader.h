#pragma once

#include "core/import/ImportPlan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brivel::import {

// Turns the data lines of one kind of import file (the lines after the header) into planned
// trades, and reports the lines it cannot understand.
class ImportRowReader {
public:
    virtual ~ImportRowReader() = default;
    virtual void row(std::uint64_t line, const std::vector<std::string>& fields,
                     ImportPlan& plan) = 0;
    // Every line read: the planned trades go into the plan.
    virtual void finish(ImportPlan& plan) = 0;
};

} // namespace brivel::import
