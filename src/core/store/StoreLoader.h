#pragma once

#include "core/store/EntityDescription.h"
#include "core/store/ManagedObject.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace brivel::store {

class Database;
class ObjectContext;

// Reads every record of a store file into a context, then links the relationships once every
// record exists. Large files are read on two connections: the largest table (an account's
// orders) in ranges of identifiers that whichever connection is free takes next, so that the
// work follows the speed of each core rather than an estimate made beforehand.
// Loading is not a change: no hook runs, nothing is marked, nothing is recorded for undo.
class StoreLoader {
public:
    // Below this many rows in all, one connection reads everything: opening a second one and
    // starting a thread would cost more than it saves.
    static constexpr std::int64_t ParallelRows = 20000;
    // The largest table is cut into this many ranges of identifiers.
    static constexpr int SharedRanges = 16;

    // A table as counted before reading: its rows and the range of its identifiers.
    struct TableSize {
        const EntityDescription* entity = nullptr;
        std::int64_t rows = 0;
        ObjectID firstID = 0, lastID = 0;
    };
    // Rows of one table to read on one connection: those with identifiers from firstID to
    // lastID, or all of them when both are 0.
    struct Slice {
        const EntityDescription* entity = nullptr;
        std::int64_t rows = 0;
        ObjectID firstID = 0, lastID = 0;
    };
    struct Plan {
        // Read by the calling thread, whose heap the program prepares for large accounts
        // (tuneHeapForLargeAccounts): the tables whose records bring texts and lists of their
        // own.
        std::vector<Slice> own;
        // The largest table (records and shared short texts, little else), taken by either
        // connection; empty when one connection reads everything.
        std::vector<Slice> shared;
    };
    // Splits the reading work: the largest table by cost shared, in SharedRanges ranges when it
    // has identifiers to cut by; every other table whole, largest first, on this thread.
    static Plan plan(std::vector<TableSize> tables);
    // What reading one row of the entity costs, in units of one column.
    static std::int64_t rowCost(const EntityDescription& e);

    StoreLoader(const ObjectModel& model, Database& db, std::filesystem::path path);

    // Reads every table into context. False, with failure() saying why, when one cannot be
    // read; the context is then left as it was.
    bool load(ObjectContext& context);
    const std::string& failure() const { return m_failure; }
    // The largest identifier read (0 for an empty file).
    ObjectID largestID() const { return m_largestID; }

private:
    // The rows of one slice, read into records not yet in any context.
    struct LoadedRows {
        const Slice* slice = nullptr;
        // Until linking, a record's to-one slot for a stored reference holds the identifier
        // the row names (see pendingLink), rather than a list of links the size of the file.
        std::vector<std::unique_ptr<ManagedObject>> records;
        ObjectID largestID = 0;
        std::string failure;
    };
    // Short texts (tickers, descriptions, index names) repeat across hundreds of thousands of
    // records: one copy of each is shared, per connection.
    using SharedTexts = std::unordered_map<std::string_view, Value>;

    Plan countAndPlan();
    bool readInParallel(const Plan& plan);
    bool readTable(Database& db, const Slice& slice, LoadedRows& out, SharedTexts& texts) const;
    void forgetPendingLinks();
    // The records adopted, in the context's list of them; members counts the references to
    // each identifier.
    std::span<std::unique_ptr<ManagedObject>> adoptAll(ObjectContext& context,
                                                       std::vector<ManagedObject*>& byID,
                                                       std::vector<std::uint32_t>& members);
    void reserveToMany(const std::vector<ManagedObject*>& byID,
                       const std::vector<std::uint32_t>& members);
    void link(std::span<std::unique_ptr<ManagedObject>> records,
              const std::vector<ManagedObject*>& byID);

    const ObjectModel& m_model;
    Database& m_db;
    std::filesystem::path m_path;
    // One per slice, own then shared, whichever connection read it.
    std::vector<LoadedRows> m_rows;
    SharedTexts m_textsHere, m_textsThere;
    // The to-one relationships each entity stores a reference for, by entity index.
    std::vector<std::vector<std::size_t>> m_storedReferences;
    std::string m_failure;
    ObjectID m_largestID = 0;
};

} // namespace brivel::store
