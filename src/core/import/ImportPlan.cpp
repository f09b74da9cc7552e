#include "core/import/ImportPlan.h"

namespace brivel::import {

const char* formatName(ImportFormat format) {
    return format == ImportFormat::Brivel ? "brivel" : "executions";
}

std::size_t ImportPlan::orderCount() const {
    std::size_t n = 0;
    for (const auto& t : trades)
        n += t.orders.size();
    return n;
}

void ImportPlan::addBadLine(BadLine bad) {
    // A file of nothing but bad lines must not cost memory in proportion to its size.
    if (badLines.size() < kMaxBadLinesKept)
        badLines.push_back(std::move(bad));
    ++badLineCount;
}

} // namespace brivel::import
