#pragma once

#include "core/import/ImportPlan.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brivel::import {

// Finds the columns of a broker's execution file by their header names, without regard to case:
// date, time, symbol or ticker, side, quantity / qty / shares, price, commission / fee / fees
// (all of them, summed) and description / desc. The user's --map choices win over the names.
class ColumnMatcher {
public:
    enum Field { Date, Time, Symbol, Side, Quantity, Price, Commission, Description, FieldCount };

    // The field names as --map takes them.
    static const std::array<const char*, FieldCount>& fieldNames();

    // Matches the header. A failure says what is missing or which --map choice names no field
    // or no column.
    bool match(const std::vector<std::string>& header,
               const std::vector<std::pair<std::string, std::string>>& columnMap);

    const std::optional<std::string>& failure() const { return m_failure; }
    // The columns of a field (empty when the file has none).
    const std::vector<std::size_t>& columns(Field f) const { return m_columns[f]; }
    // One entry per matched field, for the summary and the preview.
    std::vector<ColumnMatch> matches() const;

private:
    std::array<std::vector<std::size_t>, FieldCount> m_columns;
    std::array<bool, FieldCount> m_mapped{};
    std::optional<std::string> m_failure;
};

} // namespace brivel::import
