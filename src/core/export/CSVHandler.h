#pragma once

#include "core/platform/Error.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace brivel::store {
class ObjectContext;
}

namespace brivel::exporting {

// Writes the trades or the journal of one account to a CSV file.
class CSVHandler {
public:
    // The strategy name at a position of the preference list "arrayOfStrategies", asked afresh
    // for every trade; nothing when the list is absent, the position lies outside it (negative
    // included) or the entry has no name: the Strategy field is then empty.
    using StrategyLookup = std::function<std::optional<std::string>(std::int64_t position)>;

    explicit CSVHandler(StrategyLookup strategies = {}) : m_strategies(std::move(strategies)) {}

    // One line per order, trades numbered in date order, orders by date. Returns the failure to
    // create or write the file, so that the caller can tell the user; an empty account is not
    // a failure (the file holds the header line).
    std::optional<Error> writeTradesTo(const std::filesystem::path& path,
                                       store::ObjectContext& context) const;
    // One line per note, logs by date, notes by timestamp.
    std::optional<Error> writeJournalTo(const std::filesystem::path& path,
                                        store::ObjectContext& context) const;

private:
    StrategyLookup m_strategies;
};

} // namespace brivel::exporting
