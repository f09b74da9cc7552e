#pragma once

#include "core/store/EntityDescription.h"
#include "core/store/ManagedObject.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace brivel::store {

class Database;
class Statement;

// The steps of one save, inside the transaction the store opened: rows deleted, rows inserted
// whole, and of updated rows only the columns that changed, so that a save never writes back a
// value it did not change. Keeps its prepared statements for the length of the save.
class StoreWriter {
public:
    explicit StoreWriter(Database& db);
    ~StoreWriter();
    StoreWriter(const StoreWriter&) = delete;
    StoreWriter& operator=(const StoreWriter&) = delete;

    // Triggers that make the file itself refuse an identifier that a record of another entity
    // has, or one outside 1...maxID (each table's primary key already refuses its own
    // duplicates). Part of every new file's schema; added to older files at their first save.
    static std::string identifierGuardsSQL(const ObjectModel& model, ObjectID maxID,
                                           bool ifNotExists);

    bool guardIdentifiers(const ObjectModel& model, ObjectID maxID);
    bool deleteRows(const std::vector<ManagedObject*>& deleted);
    bool insertRows(const std::vector<ManagedObject*>& inserted);
    bool updateRows(const std::vector<ManagedObject*>& updated,
                    const std::vector<std::uint64_t>& columns);
    // "next_id" never moves back, whatever this save allocated.
    bool writeNextID(const std::string& metaTable, ObjectID nextID);

    // Why the last step failed.
    const std::string& failure() const { return m_failure; }

private:
    // A statement with the columns it binds, in order, prepared once per entity and mask.
    struct Prepared {
        std::unique_ptr<Statement> statement;
        std::vector<std::size_t> columns;
    };
    enum class Kind : char { Delete, Insert, Update };
    Prepared* prepared(const EntityDescription& entity, std::uint64_t columns, Kind kind);
    bool step(Statement& st);

    Database& m_db;
    std::map<std::pair<const EntityDescription*, std::pair<std::uint64_t, Kind>>, Prepared>
        m_statements;
    std::string m_failure;
};

} // namespace brivel::store
