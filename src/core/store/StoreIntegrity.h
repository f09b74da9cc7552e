#pragma once

#include "core/platform/Error.h"
#include "core/store/EntityDescription.h"
#include "core/store/ManagedObject.h"

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace brivel::store {

class Database;

// Checks of a store file that come from outside, and its consistent copy. Each check answers
// with the first problem found, in words fit for a message, or "" when there is none.
class StoreIntegrity {
public:
    // An identifier of some entity outside 1...maxID, or a "next_id" that is not an integer in
    // 1...maxID + 1.
    static std::string identifierProblem(Database& db, const ObjectModel& model,
                                         const std::string& metaTable, ObjectID maxID);
    // The smallest and largest identifier of an entity's records (none for an empty table).
    // False when the table cannot be read.
    static bool identifierRange(Database& db, const std::string& entity,
                                std::optional<std::pair<ObjectID, ObjectID>>& range);
    // An identifier that records of two entities share (reads every table's keys).
    static std::string sharedIdentifierProblem(Database& db, const ObjectModel& model);
    // SQLite's PRAGMA quick_check.
    static std::string quickCheckProblem(Database& db);
    // The non-empty texts of one column.
    static std::vector<std::string> textValues(Database& db, const std::string& table,
                                               const std::string& column);
    // A page-by-page copy inside one read transaction (SQLite's backup API); `to` must not
    // exist.
    static bool copyConsistently(const std::filesystem::path& from, const std::filesystem::path& to,
                                 Error* error);
};

} // namespace brivel::store
