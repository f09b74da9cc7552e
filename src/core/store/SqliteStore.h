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

    // Opens and checks the file: ours, not newer than this program, every table and column
    // present. Never creates or changes a file.
    static std::unique_ptr<SqliteStore>
    open(const ObjectModel& model, const std::filesystem::path& path, bool readOnly, Error* error);
    // Makes a new, empty store file; fails if path exists. The file appears whole or not at all.
    static bool create(const ObjectModel& model, const std::filesystem::path& path, Error* error);
    static std::string schemaSQL(const ObjectModel& model);
    // How the file names things: a quoted table or column name, the column of a to-one
    // relationship, and the relationships of an entity that have such a column.
    static std::string quotedName(const std::string& name);
    static std::string foreignKeyColumn(const RelationshipDescription& relationship);
    static std::vector<const RelationshipDescription*>
    storedForeignKeys(const EntityDescription& entity);

    // Loads every record into the context (no hooks run here). Returns the next free id.
    bool load(ObjectContext& context, ObjectID& nextID, Error* error);
    // Writes the changes in one transaction.
    bool save(const std::vector<ManagedObject*>& inserted,
              const std::vector<ManagedObject*>& updated,
              const std::vector<ManagedObject*>& deleted, ObjectID nextID, Error* error);

private:
    SqliteStore(const ObjectModel& model) : m_model(model) {}
    bool check(Error* error);

    const ObjectModel& m_model;
    Database m_db;
    std::filesystem::path m_path;
};

} // namespace brivel::store
