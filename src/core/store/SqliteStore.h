#pragma once

#include "core/platform/Error.h"
#include "core/store/EntityDescription.h"
#include "core/store/ManagedObject.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace brivel::store {

class ObjectContext;

// What one save writes.
struct StoreChanges {
    std::vector<ManagedObject*> inserted;
    std::vector<ManagedObject*> updated;
    // For each updated record, the columns that changed (ManagedObject::columnBit); a record
    // with none writes nothing.
    std::vector<std::uint64_t> updatedColumns;
    std::vector<ManagedObject*> deleted;
    ObjectID nextID = 1;
};

// A SQLite connection, closed with the object.
class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool open(const std::filesystem::path& path, int flags, Error* error);
    bool exec(const std::string& sql, Error* error);
    sqlite3* handle() const { return m_db; }
    std::string lastMessage() const;

private:
    sqlite3* m_db = nullptr;
};

// A prepared statement, finalized with the object.
class Statement {
public:
    Statement(Database& db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool ok() const { return m_stmt != nullptr; }
    sqlite3_stmt* handle() const { return m_stmt; }
    void bind(int index, const Value& value, AttributeType type);
    void bindInt(int index, std::int64_t v);
    void bindNull(int index);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    void reset();

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// The account's records in one SQLite file: one table per entity, foreign keys for the
// relationships, dates as REAL seconds since 1970, absent values as NULL.
class SqliteStore {
public:
    static constexpr std::int32_t ApplicationID = 0x42524A4C; // "BRJL"
    static constexpr int SchemaVersion = 1;
    // Identifiers run from 1 to this, whatever the entity. A loaded account keeps a table as
    // long as its largest identifier, so the bound keeps a crafted file from asking for
    // gigabytes; no journal comes near it in a lifetime of trading.
    static constexpr ObjectID MaxObjectID = (ObjectID(1) << 24) - 1;

    // Opens and checks the file: ours, not newer than this program, every table and column
    // present. Never creates or changes a file.
    static std::unique_ptr<SqliteStore>
    open(const ObjectModel& model, const std::filesystem::path& path, bool readOnly, Error* error);
    // Makes a new, empty store file; fails if path exists. The file appears whole or not at all.
    static bool create(const ObjectModel& model, const std::filesystem::path& path, Error* error);
    static std::string schemaSQL(const ObjectModel& model);
    // Copies a store file page by page inside one read transaction (SQLite's backup API), so
    // that the copy is the file as one save left it, even while another connection writes.
    // The destination must not exist.
    static bool copyConsistently(const std::filesystem::path& from, const std::filesystem::path& to,
                                 Error* error);
    // How the file names things: a quoted table or column name, the column of a to-one
    // relationship, and the relationships of an entity that have such a column.
    static std::string quotedName(const std::string& name);
    static std::string foreignKeyColumn(const RelationshipDescription& relationship);
    static std::vector<const RelationshipDescription*>
    storedForeignKeys(const EntityDescription& entity);

    // Loads every record into the context (no hooks run here). Returns the next free id.
    bool load(ObjectContext& context, ObjectID& nextID, Error* error);
    // Writes the changes in one transaction: deleted rows, inserted rows whole, and of the
    // updated rows only the columns that changed. The file's own triggers refuse an identifier
    // that another record of any entity already has, or one out of bounds.
    bool save(const StoreChanges& changes, Error* error);

    // Why the identifiers of the file are unusable: one out of 1...MaxObjectID, or a "next_id"
    // beyond MaxObjectID + 1; empty when they are fine. Loading refuses such a file.
    std::string identifierProblem();
    // The same, plus an identifier used by records of two entities (checked at restore: the
    // whole file is read).
    std::string identifierProblemWithDuplicates();
    // PRAGMA quick_check: empty when it says "ok", else its first complaint.
    std::string quickCheckProblem();
    // Every non-empty text of one attribute of one entity (a restore checks chart image names).
    std::vector<std::string> textValues(const std::string& entity, const std::string& attribute);

private:
    SqliteStore(const ObjectModel& model) : m_model(model) {}
    bool check(Error* error);

    const ObjectModel& m_model;
    Database m_db;
    std::filesystem::path m_path;
    bool m_identifiersGuarded = false;
};

} // namespace brivel::store
