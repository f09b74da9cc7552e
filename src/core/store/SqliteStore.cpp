#include "core/store/SqliteStore.h"

#include "core/store/ObjectContext.h"
#include "core/store/StoreIntegrity.h"
#include "core/store/StoreLoader.h"
#include "core/store/StoreWriter.h"

#include <algorithm>
#include <cstring>
#include <fmt/format.h>
#include <map>
#include <set>
#include <sqlite3.h>
#include <unistd.h>

namespace brivel::store {

namespace {
std::string sqlName(const std::string& name) {
    return "\"" + name + "\"";
}
std::string fkColumn(const RelationshipDescription& r) {
    return r.name + "_id";
}

const char* sqlType(AttributeType t) {
    switch (t) {
    case AttributeType::String:
        return "TEXT";
    case AttributeType::Int16:
    case AttributeType::Int32:
    case AttributeType::Boolean:
        return "INTEGER";
    default:
        return "REAL";
    }
}

Error fileError(int code, const std::string& description, const std::string& reason,
                const std::filesystem::path& path) {
    Error e;
    e.domain = errors::StoreDomain;
    e.code = code;
    e.localizedDescription = description;
    e.failureReason = reason;
    e.userInfo["NSFilePath"] = path.string();
    return e;
}

void setError(Error* out, Error e) {
    if (out)
        *out = std::move(e);
}

std::vector<const RelationshipDescription*> foreignKeys(const EntityDescription& e) {
    std::vector<const RelationshipDescription*> out;
    for (const auto& r : e.relationships)
        if (!r.toMany && r.storesForeignKey)
            out.push_back(&r);
    return out;
}

constexpr const char* MetaTable = "brivel_meta";
} // namespace

Database::~Database() {
    if (m_db)
        sqlite3_close_v2(m_db);
}

bool Database::open(const std::filesystem::path& path, int flags, Error* error) {
    // A connection is only ever used by one thread at a time; SQLite's own per-call locking
    // would cost an eighth of the time it takes to load an account.
    int rc = sqlite3_open_v2(path.c_str(), &m_db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string msg = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc);
        if (m_db) {
            sqlite3_close_v2(m_db);
            m_db = nullptr;
        }
        setError(error, fileError(errors::FileReadUnknown,
                                  "The account database could not be opened.", msg, path));
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, 2000);
    return true;
}

bool Database::exec(const std::string& sql, Error* error) {
    char* msg = nullptr;
    int rc = sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
        std::string text = msg ? msg : sqlite3_errstr(rc);
        sqlite3_free(msg);
        setError(error, fileError(errors::FileWriteUnknown,
                                  "The account database could not be written.", text, {}));
        return false;
    }
    return true;
}

std::string Database::lastMessage() const {
    return m_db ? sqlite3_errmsg(m_db) : "no database";
}

Statement::Statement(Database& db, const std::string& sql) {
    if (sqlite3_prepare_v2(db.handle(), sql.c_str(), static_cast<int>(sql.size()), &m_stmt,
                           nullptr) != SQLITE_OK)
        m_stmt = nullptr;
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const Value& value, AttributeType type) {
    if (value.isNull()) {
        sqlite3_bind_null(m_stmt, index);
        return;
    }
    switch (type) {
    case AttributeType::String: {
        auto s = value.stringView();
        sqlite3_bind_text(m_stmt, index, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        break;
    }
    case AttributeType::Date:
        sqlite3_bind_double(m_stmt, index, value.toDate().secondsSince1970);
        break;
    case AttributeType::Double:
        sqlite3_bind_double(m_stmt, index, value.toDouble());
        break;
    default:
        sqlite3_bind_int64(m_stmt, index, value.toInt64());
        break;
    }
}

void Statement::bindInt(int index, std::int64_t v) {
    sqlite3_bind_int64(m_stmt, index, v);
}
void Statement::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
}
int Statement::step() {
    return sqlite3_step(m_stmt);
}
void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::string SqliteStore::schemaSQL(const ObjectModel& model) {
    std::string sql;
    for (const auto& e : model.entities()) {
        sql += "CREATE TABLE " + sqlName(e->name) + " (id INTEGER PRIMARY KEY";
        for (const auto& a : e->attributes)
            sql += ", " + sqlName(a.name) + " " + sqlType(a.type);
        for (const auto* r : foreignKeys(*e))
            sql += ", " + sqlName(fkColumn(*r)) + " INTEGER REFERENCES " +
                   sqlName(r->destinationName) + "(id) DEFERRABLE INITIALLY DEFERRED";
        sql += ");\n";
        for (const auto* r : foreignKeys(*e))
            sql += "CREATE INDEX " + sqlName(e->name + "_" + r->name) + " ON " + sqlName(e->name) +
                   "(" + sqlName(fkColumn(*r)) + ");\n";
    }
    sql += StoreWriter::identifierGuardsSQL(model, MaxObjectID, false);
    sql += fmt::format("CREATE TABLE {} (key TEXT PRIMARY KEY, value);\n"
                       "INSERT INTO {} VALUES ('next_id', 1);\n"
                       "PRAGMA application_id = {};\nPRAGMA user_version = {};\n",
                       MetaTable, MetaTable, ApplicationID, SchemaVersion);
    return sql;
}

bool SqliteStore::create(const ObjectModel& model, const std::filesystem::path& path,
                         Error* error) {
    std::error_code ec;
    if (std::filesystem::exists(path, ec)) {
        setError(error, fileError(errors::FileWriteUnknown, "An account database is already there.",
                                  "It was left as it is.", path));
        return false;
    }
    // Build beside the destination, then link it into place: the file appears whole, and an
    // existing file is never replaced.
    auto temp = path;
    temp += fmt::format(".new-{}", static_cast<long>(getpid()));
    std::filesystem::remove(temp, ec);
    {
        Database db;
        if (!db.open(temp, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error))
            return false;
        if (!db.exec("PRAGMA journal_mode = DELETE; BEGIN;\n" + schemaSQL(model) + "COMMIT;",
                     error)) {
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    if (::link(temp.c_str(), path.c_str()) != 0) {
        int err = errno;
        std::filesystem::remove(temp, ec);
        setError(error,
                 fileError(errors::FileWriteUnknown, "The account database could not be created.",
                           std::strerror(err), path));
        return false;
    }
    std::filesystem::remove(temp, ec);
    return true;
}

std::unique_ptr<SqliteStore> SqliteStore::open(const ObjectModel& model,
                                               const std::filesystem::path& path, bool readOnly,
                                               Error* error) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        setError(error,
                 fileError(errors::FileReadNoSuchFile, "The account database could not be opened.",
                           "There is no database file at " + path.string() + ".", path));
        return nullptr;
    }
    std::unique_ptr<SqliteStore> store(new SqliteStore(model));
    store->m_path = path;
    int flags = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (!store->m_db.open(path, flags, error))
        return nullptr;
    if (!store->check(error))
        return nullptr;
    return store;
}

bool SqliteStore::check(Error* error) {
    auto notOurs = [&](const std::string& reason) {
        setError(error, fileError(errors::FileReadCorrupt,
                                  "The file is not a Brivel Trade Journal account database.",
                                  reason, m_path));
        return false;
    };
    // A file SQLite cannot read for another reason (a lock held too long, an I/O error) is not
    // "not ours": say what it is.
    auto unreadable = [&]() {
        if ((sqlite3_errcode(m_db.handle()) & 0xff) == SQLITE_NOTADB)
            return notOurs(m_db.lastMessage());
        setError(error,
                 fileError(errors::FileReadUnknown, "The account database could not be read.",
                           m_db.lastMessage() + ".", m_path));
        return false;
    };
    std::int64_t appID = 0, version = 0;
    {
        Statement st(m_db, "PRAGMA application_id");
        if (!st.ok() || st.step() != SQLITE_ROW)
            return unreadable();
        appID = sqlite3_column_int64(st.handle(), 0);
    }
    if (appID != ApplicationID)
        return notOurs("It was made by another program.");
    {
        Statement st(m_db, "PRAGMA user_version");
        if (!st.ok() || st.step() != SQLITE_ROW)
            return unreadable();
        version = sqlite3_column_int64(st.handle(), 0);
    }
    if (version > SchemaVersion) {
        setError(error, fileError(errors::FileReadTooNew,
                                  "The account database was made by a newer version of Brivel "
                                  "Trade Journal.",
                                  "Install the newer version to open it.", m_path));
        return false;
    }
    for (const auto& e : m_model.entities()) {
        std::set<std::string> columns;
        Statement st(m_db, "PRAGMA table_info(" + sqlName(e->name) + ")");
        if (!st.ok())
            return notOurs(m_db.lastMessage());
        while (st.step() == SQLITE_ROW)
            columns.insert(reinterpret_cast<const char*>(sqlite3_column_text(st.handle(), 1)));
        if (columns.empty())
            return notOurs("The table of " + e->name + " records is missing.");
        for (const auto& a : e->attributes)
            if (!columns.count(a.name))
                return notOurs("The " + e->name + " table has no column " + a.name + ".");
        for (const auto* r : foreignKeys(*e))
            if (!columns.count(fkColumn(*r)))
                return notOurs("The " + e->name + " table has no column " + fkColumn(*r) + ".");
    }
    Error ignored;
    return m_db.exec("PRAGMA foreign_keys = ON", error ? error : &ignored);
}

std::string SqliteStore::quotedName(const std::string& name) {
    return sqlName(name);
}
std::string SqliteStore::foreignKeyColumn(const RelationshipDescription& relationship) {
    return fkColumn(relationship);
}
std::vector<const RelationshipDescription*>
SqliteStore::storedForeignKeys(const EntityDescription& entity) {
    return foreignKeys(entity);
}

bool SqliteStore::load(ObjectContext& context, ObjectID& nextID, Error* error) {
    // Before anything is sized by them: a crafted identifier must not ask for gigabytes.
    if (std::string problem = identifierProblem(); !problem.empty()) {
        setError(error, fileError(errors::FileReadCorrupt,
                                  "The account database could not be read.", problem, m_path));
        return false;
    }
    StoreLoader loader(m_model, m_db, m_path);
    if (!loader.load(context)) {
        setError(error,
                 fileError(errors::FileReadCorrupt, "The account database could not be read.",
                           loader.failure(), m_path));
        return false;
    }
    nextID = loader.largestID() + 1;
    Statement meta(m_db, fmt::format("SELECT value FROM {} WHERE key = 'next_id'", MetaTable));
    if (meta.ok() && meta.step() == SQLITE_ROW)
        nextID = std::max(nextID, static_cast<ObjectID>(sqlite3_column_int64(meta.handle(), 0)));
    return true;
}

bool SqliteStore::save(const StoreChanges& changes, Error* error) {
    auto fail = [&](const std::string& what) {
        m_db.exec("ROLLBACK", nullptr);
        setError(error, fileError(errors::FileWriteUnknown, "The account could not be saved.", what,
                                  m_path));
        return false;
    };
    for (auto* o : changes.inserted)
        if (o->objectID() < 1 || o->objectID() > MaxObjectID)
            return fail(
                fmt::format("The account has used up its {} record identifiers.", MaxObjectID));
    if (!m_db.exec("BEGIN IMMEDIATE", nullptr))
        return fail(m_db.lastMessage());
    StoreWriter writer(m_db);
    if (!m_identifiersGuarded && !writer.guardIdentifiers(m_model, MaxObjectID))
        return fail(writer.failure());
    if (!writer.deleteRows(changes.deleted) || !writer.insertRows(changes.inserted) ||
        !writer.updateRows(changes.updated, changes.updatedColumns) ||
        !writer.writeNextID(MetaTable, changes.nextID))
        return fail(writer.failure());
    if (!m_db.exec("COMMIT", nullptr))
        return fail(m_db.lastMessage());
    m_identifiersGuarded = true;
    return true;
}

bool SqliteStore::copyConsistently(const std::filesystem::path& from,
                                   const std::filesystem::path& to, Error* error) {
    return StoreIntegrity::copyConsistently(from, to, error);
}

std::string SqliteStore::identifierProblem() {
    return StoreIntegrity::identifierProblem(m_db, m_model, MetaTable, MaxObjectID);
}

std::string SqliteStore::identifierProblemWithDuplicates() {
    if (std::string problem = identifierProblem(); !problem.empty())
        return problem;
    return StoreIntegrity::sharedIdentifierProblem(m_db, m_model);
}

std::string SqliteStore::quickCheckProblem() {
    return StoreIntegrity::quickCheckProblem(m_db);
}

std::vector<std::string> SqliteStore::textValues(const std::string& entity,
                                                 const std::string& attribute) {
    return StoreIntegrity::textValues(m_db, entity, attribute);
}

} // namespace brivel::store
