#pragma once

// A database file read and changed with plain SQL behind the store's back, the way a crafted or
// damaged file comes in.

#include <filesystem>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace brivel::test {

// Runs statements on the file (made if missing); returns SQLite's message, empty on success.
inline std::string execSql(const std::filesystem::path& file, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    char* message = nullptr;
    std::string out;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK)
        out = message ? message : "failed";
    sqlite3_free(message);
    sqlite3_close(db);
    return out;
}

// The first column of each row a query gives, read-only; "NULL" for an absent value. A failure
// comes back as a last row saying so, so that "no rows" is never mistaken for an answer.
inline std::vector<std::string> querySql(const std::filesystem::path& file,
                                         const std::string& query) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    const int status = sqlite3_exec(
        db, query.c_str(),
        [](void* out, int, char** values, char**) {
            static_cast<std::vector<std::string>*>(out)->push_back(values[0] ? values[0] : "NULL");
            return 0;
        },
        &rows, nullptr);
    if (status != SQLITE_OK)
        rows.push_back("failed: " + std::string(sqlite3_errmsg(db)));
    sqlite3_close(db);
    return rows;
}

// The first row's answer, or "no answer".
inline std::string querySqlOne(const std::filesystem::path& file, const std::string& query) {
    const auto rows = querySql(file, query);
    return rows.empty() ? "no answer" : rows.front();
}

// Drops the store's identifier triggers, as a crafter would before changing identifiers.
inline std::string dropTriggers(const std::filesystem::path& file) {
    std::string drop;
    for (const auto& name : querySql(file, "SELECT name FROM sqlite_master WHERE type = 'trigger'"))
        drop += "DROP TRIGGER \"" + name + "\";";
    return execSql(file, drop);
}

} // namespace brivel::test
