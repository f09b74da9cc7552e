#include "core/store/StoreIntegrity.h"

#include "core/store/SqliteStore.h"

#include <fmt/format.h>
#include <sqlite3.h>

namespace brivel::store {

namespace {

std::string sqlName(const std::string& name) {
    return "\"" + name + "\"";
}

std::string columnText(sqlite3_stmt* st, int column) {
    const auto* text = sqlite3_column_text(st, column);
    return text ? std::string(reinterpret_cast<const char*>(text),
                              static_cast<std::size_t>(sqlite3_column_bytes(st, column)))
                : std::string();
}

} // namespace

bool StoreIntegrity::identifierRange(Database& db, const std::string& entity,
                                     std::optional<std::pair<ObjectID, ObjectID>>& range) {
    // min and max of the primary key: two look-ups, whatever the table's size. Asked together
    // in one SELECT they would make SQLite step through the whole table.
    const std::string table = sqlName(entity);
    Statement st(db,
                 "SELECT (SELECT min(id) FROM " + table + "), (SELECT max(id) FROM " + table + ")");
    if (!st.ok() || st.step() != SQLITE_ROW)
        return false;
    range.reset();
    if (sqlite3_column_type(st.handle(), 0) != SQLITE_NULL)
        range.emplace(sqlite3_column_int64(st.handle(), 0), sqlite3_column_int64(st.handle(), 1));
    return true;
}

std::string StoreIntegrity::identifierProblem(Database& db, const ObjectModel& model,
                                              const std::string& metaTable, ObjectID maxID) {
    for (const auto& e : model.entities()) {
        std::optional<std::pair<ObjectID, ObjectID>> range;
        if (!identifierRange(db, e->name, range))
            return db.lastMessage();
        if (!range)
            continue; // no records
        const auto [low, high] = *range;
        if (low < 1 || high > maxID)
            return fmt::format("A {} record has the identifier {}, outside 1 to {}.", e->name,
                               low < 1 ? low : high, maxID);
    }
    Statement meta(
        db, fmt::format("SELECT value, typeof(value) FROM {} WHERE key = 'next_id'", metaTable));
    if (!meta.ok())
        return db.lastMessage();
    if (meta.step() == SQLITE_ROW) {
        std::string type = columnText(meta.handle(), 1);
        std::int64_t next = sqlite3_column_int64(meta.handle(), 0);
        if (type != "integer" || next < 1 || next > maxID + 1)
            return fmt::format("Its next record identifier \"{}\" is out of range (1 to {}).",
                               columnText(meta.handle(), 0).substr(0, 40), maxID + 1);
    }
    return {};
}

std::string StoreIntegrity::sharedIdentifierProblem(Database& db, const ObjectModel& model) {
    std::string all;
    for (const auto& e : model.entities())
        all += (all.empty() ? "SELECT id FROM " : " UNION ALL SELECT id FROM ") + sqlName(e->name);
    Statement st(db, "SELECT id FROM (" + all + ") GROUP BY id HAVING count(*) > 1 LIMIT 1");
    if (!st.ok())
        return db.lastMessage();
    int rc = st.step();
    if (rc == SQLITE_ROW)
        return fmt::format("Records of two entities share the identifier {}.",
                           sqlite3_column_int64(st.handle(), 0));
    return rc == SQLITE_DONE ? std::string() : db.lastMessage();
}

std::string StoreIntegrity::quickCheckProblem(Database& db) {
    Statement st(db, "PRAGMA quick_check");
    if (!st.ok() || st.step() != SQLITE_ROW)
        return "SQLite's check failed: " + db.lastMessage();
    std::string first = columnText(st.handle(), 0);
    return first == "ok" ? std::string() : "SQLite's check failed: " + first.substr(0, 200);
}

std::vector<std::string> StoreIntegrity::textValues(Database& db, const std::string& table,
                                                    const std::string& column) {
    std::vector<std::string> out;
    Statement st(db, fmt::format("SELECT CAST({0} AS TEXT) FROM {1} WHERE {0} IS NOT NULL AND "
                                 "CAST({0} AS TEXT) != ''",
                                 sqlName(column), sqlName(table)));
    if (!st.ok())
        return out;
    while (st.step() == SQLITE_ROW)
        out.push_back(columnText(st.handle(), 0));
    return out;
}

bool StoreIntegrity::copyConsistently(const std::filesystem::path& from,
                                      const std::filesystem::path& to, Error* error) {
    Database source, copy;
    if (!source.open(from, SQLITE_OPEN_READONLY, error) ||
        !copy.open(to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error))
        return false;
    sqlite3_backup* backup = sqlite3_backup_init(copy.handle(), "main", source.handle(), "main");
    // All pages in one step: one read transaction on the source, so one consistent state.
    int rc = backup ? sqlite3_backup_step(backup, -1) : SQLITE_ERROR;
    std::string why = rc == SQLITE_DONE ? std::string() : copy.lastMessage();
    if (backup && sqlite3_backup_finish(backup) != SQLITE_OK && why.empty())
        why = copy.lastMessage();
    if (!why.empty()) {
        if (error) {
            *error = Error{};
            error->domain = errors::StoreDomain;
            error->code = errors::FileReadUnknown;
            error->localizedDescription = "The account database could not be copied.";
            error->failureReason = why;
            error->userInfo["NSFilePath"] = from.string();
        }
        return false;
    }
    return true;
}

} // namespace brivel::store
