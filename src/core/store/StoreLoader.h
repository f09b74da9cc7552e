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

// Reads every record of a store file into a context: the tables split over two connections by
// their sizes, so that both cores read, then the relationships linked once every record exists.
// Loading is not a change: no hook runs, nothing is marked, nothing is recorded for undo.
class StoreLoader {
public:
    // Below this many rows in all, one connection reads everything: opening a second one and
    // starting a thread would cost more than it saves.
    static constexpr std::int64_t ParallelRows = 20000;

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
    struct Part {
        std::vector<Slice> slices;
        std::int64_t rows = 0;
        std::int64_t cost = 0;
    };
    // What reading one row of the entity costs, in units of one column.
    static std::int64_t rowCost(const EntityDescription& e);
    // Splits tables into two parts of about equal cost, largest first. An account of years of
    // trading has most of its rows in its orders: when the other tables together cannot balance
    // them, the largest table is cut by identifier range between the two. The second part is
    // empty when everything should be read on one connection.
    static std::pair<Part, Part> partition(std::vector<TableSize> tables);

    StoreLoader(const ObjectModel& model, Database& db, std::filesystem::path path);

    // Reads every table into context. False, with failure() saying why, when one cannot be
    // read; the context is then left as it was.
    bool load(ObjectContext& context);
    const std::string& failure() const { return m_failure; }
    // The largest identifier read (0 for an empty file).
    ObjectID largestID() const { return m_largestID; }

private:
    // The rows of some tables, read into records not yet in any context.
    struct LoadedRows {
        // Until linking, a record's to-one slot for a stored reference holds the identifier
        // the row names (see pendingLink), rather than a list of links the size of the file.
        std::vector<std::unique_ptr<ManagedObject>> records;
        // Records read, by entity index.
        std::vector<std::size_t> perEntity;
        ObjectID largestID = 0;
        std::string failure;
        // Short texts (tickers, descriptions, index names) repeat across hundreds of thousands
        // of records: one copy of each is shared.
        std::unordered_map<std::string_view, Value> shortTexts;
    };

    std::pair<Part, Part> countAndPartition();
    bool readInParallel(const Part& mine, const Part& theirs);
    static void reserve(const Part& part, LoadedRows& out);
    static bool readTables(Database& db, const Part& part, LoadedRows& out);
    static bool readTable(Database& db, const Slice& slice, LoadedRows& out);
    static void forgetPendingLinks(LoadedRows& rows);
    // The records adopted, in the context's list of them.
    std::span<std::unique_ptr<ManagedObject>> adoptAll(ObjectContext& context,
                                                       std::vector<ManagedObject*>& byID);
    void reserveToMany(std::span<std::unique_ptr<ManagedObject>> records,
                       const std::vector<ManagedObject*>& byID);
    void link(std::span<std::unique_ptr<ManagedObject>> records,
              const std::vector<ManagedObject*>& byID);
    // The to-one relationships each entity stores a reference for, by entity index.
    std::vector<std::vector<std::size_t>> m_storedReferences;

    const ObjectModel& m_model;
    Database& m_db;
    std::filesystem::path m_path;
    LoadedRows m_here, m_there;
    std::string m_failure;
    ObjectID m_largestID = 0;
};

} // namespace brivel::store
