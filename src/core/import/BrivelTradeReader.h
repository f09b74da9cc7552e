#pragma once

#include "core/import/AmountParser.h"
#include "core/import/DuplicateIndex.h"
#include "core/import/ImportDateParser.h"
#include "core/import/ImportRowReader.h"

#include <array>
#include <string_view>
#include <unordered_map>

namespace brivel::import {

// Reads the program's own trade export back: one trade per "Trade #", one order per line, the
// prices and commissions in the user's currency format, the strategy by name.
class BrivelTradeReader final : public ImportRowReader {
public:
    // duplicates: the account's executions, or nullptr to keep duplicates. A trade whose every
    // order the account already holds is left out whole.
    explicit BrivelTradeReader(DuplicateIndex* duplicates) : m_duplicates(duplicates) {}

    // The trade export's header line.
    static const std::array<std::string_view, 10>& header();
    static bool isHeader(const std::vector<std::string>& fields);

    void row(std::uint64_t line, const std::vector<std::string>& fields, ImportPlan& plan) override;
    void finish(ImportPlan& plan) override;

private:
    bool readOrder(std::uint64_t line, const std::vector<std::string>& fields, ImportPlan& plan,
                   PlannedOrder& order, long long& number);
    bool isDuplicate(const PlannedTrade& trade);

    DuplicateIndex* m_duplicates;
    AmountParser m_amounts;
    ImportDateParser m_dates;
    std::vector<PlannedTrade> m_trades;
    std::unordered_map<long long, std::size_t> m_byNumber;
};

} // namespace brivel::import
