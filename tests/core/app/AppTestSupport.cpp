#include "AppTestSupport.h"

#include "core/model/AccountStore.h"
#include "support/CliRun.h"

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <sqlite3.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace brivel::test {

namespace fs = std::filesystem;

AppEnvironment::AppEnvironment()
    : m_data("XDG_DATA_HOME", (m_temp.path() / "data").string()),
      m_config("XDG_CONFIG_HOME", (m_temp.path() / "config").string()) {
    fs::create_directories(dataHome());
    fs::create_directories(scratch());
    setSystemLog(&m_log);
}

AppEnvironment::~AppEnvironment() {
    setSystemLog(nullptr);
}

void AppEnvironment::put(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    writeFile(file, text);
}

bool AppEnvironment::isAccountDatabase(const fs::path& file) {
    Error error;
    return model::checkAccountStore(file, &error);
}

void AppEnvironment::makeAccount(const std::string& code,
                                 const std::map<std::string, std::string>& extraFiles) const {
    fs::create_directories(support() / code);
    Error error;
    if (!model::createEmptyAccountStore(support() / code / "database.brdb", &error))
        throw std::runtime_error("cannot make a test account: " + error.message());
    for (const auto& [name, bytes] : extraFiles)
        writeFile(support() / code / name, bytes);
}

LockHolderProcess::LockHolderProcess(const fs::path& folder, app::AccountLockHolder as) {
    int ready[2];
    EXPECT_EQ(::pipe(ready), 0);
    EXPECT_EQ(::pipe(m_go), 0);
    m_pid = ::fork();
    if (m_pid == 0) {
        auto lock = as == app::AccountLockHolder::Application
                        ? app::AccountLock::acquireForApplication(folder, nullptr)
                        : app::AccountLock::acquireForCommand(folder, nullptr);
        char c = lock ? 'y' : 'n';
        (void)!::write(ready[1], &c, 1);
        (void)!::read(m_go[0], &c, 1); // until told, or the parent ends
        lock.reset();                  // an orderly release, unlike kill()
        ::_exit(0);
    }
    char c = 0;
    EXPECT_EQ(::read(ready[0], &c, 1), 1);
    EXPECT_EQ(c, 'y');
    ::close(ready[0]);
    ::close(ready[1]);
}

void LockHolderProcess::kill() {
    ::kill(m_pid, SIGKILL);
    finish();
}

void LockHolderProcess::finish() {
    if (m_pid <= 0)
        return;
    char c = 'x';
    (void)!::write(m_go[1], &c, 1);
    ::waitpid(m_pid, nullptr, 0);
    ::close(m_go[0]);
    ::close(m_go[1]);
    m_pid = -1;
}

std::vector<std::string> fileNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// Every row of every table of a database, in a fixed order: what a copy must keep, whatever
// pages it was written to.
std::string databaseContents(const fs::path& file) {
    sqlite3* db = nullptr;
    std::string out;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return "unreadable";
    }
    auto each = [&](const std::string& sql, const std::function<void(sqlite3_stmt*)>& row) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                row(st);
        sqlite3_finalize(st);
    };
    std::vector<std::string> tables;
    each("SELECT name, sql FROM sqlite_master ORDER BY type, name", [&](sqlite3_stmt* st) {
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(st, 1));
        out += std::string(name ? name : "") + ":" + (sql ? sql : "") + "\n";
        if (sql && std::string(sql).rfind("CREATE TABLE", 0) == 0)
            tables.emplace_back(name);
    });
    for (const auto& table : tables)
        each("SELECT * FROM \"" + table + "\" ORDER BY 1", [&](sqlite3_stmt* st) {
            for (int c = 0; c < sqlite3_column_count(st); ++c) {
                const auto* v = reinterpret_cast<const char*>(sqlite3_column_text(st, c));
                out += std::string(v ? v : "NULL") + "|";
            }
            out += "\n";
        });
    sqlite3_close(db);
    return out;
}

std::map<std::string, std::string> filesBelow(const fs::path& folder, bool databaseByRows) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file()) {
            // A backup copies the database through SQLite: compare its records, not its pages.
            const std::string bytes = databaseByRows && it->path().filename() == "database.brdb"
                                          ? databaseContents(it->path())
                                          : readFile(it->path());
            files[fs::relative(it->path(), folder).string()] =
                std::to_string(bytes.size()) + ":" +
                std::to_string(std::hash<std::string>{}(bytes));
        }
    return files;
}

} // namespace

std::map<std::string, std::string> snapshot(const fs::path& folder) {
    return filesBelow(folder, false);
}

std::map<std::string, std::string> accountSnapshot(const fs::path& folder) {
    return filesBelow(folder, true);
}

std::vector<std::string> zipEntryNames(const fs::path& archive) {
    TempDir scratch; // where the run's output is caught
    std::istringstream lines(
        runProgram("/usr/bin/unzip", {"-Z1", archive.string()}, scratch.path()).out);
    std::vector<std::string> names;
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            names.push_back(line);
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::uint32_t crc32(const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

void ZipWriter::addFile(const std::string& name, const std::string& data, std::uint32_t unixMode) {
    m_entries.push_back({name, data, unixMode});
}

void ZipWriter::addSymlink(const std::string& name, const std::string& target) {
    m_entries.push_back({name, target, 0120777});
}

void ZipWriter::addFolder(const std::string& name) {
    m_entries.push_back({name, "", 040755});
}

void ZipWriter::write(const fs::path& path) const {
    std::string out, central;
    for (const auto& e : m_entries) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const auto size = static_cast<std::uint32_t>(e.data.size());
        // Version needed, no flags, stored, 2024-01-01 00:00, checksum, sizes, name length.
        std::string common;
        for (std::uint32_t v : {20u, 0u, 0u, 0u, (44u << 9) | (1u << 5) | 1u})
            put16(common, v);
        put32(common, crc32(e.data));
        put32(common, size);
        put32(common, size);
        put16(common, static_cast<std::uint32_t>(e.name.size()));
        put32(out, 0x04034b50);
        out += common;
        put16(out, 0); // no extra field
        out += e.name + e.data;
        put32(central, 0x02014b50);
        put16(central, (3u << 8) | 20u); // made on Unix, so the mode below counts
        central += common;
        for (int i = 0; i < 4; ++i) // extra, comment, disk, internal attributes
            put16(central, 0);
        put32(central, e.mode << 16);
        put32(central, offset);
        central += e.name;
    }
    const auto centralOffset = static_cast<std::uint32_t>(out.size());
    out += central;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, static_cast<std::uint32_t>(m_entries.size()));
    put16(out, static_cast<std::uint32_t>(m_entries.size()));
    put32(out, static_cast<std::uint32_t>(central.size()));
    put32(out, centralOffset);
    put16(out, 0);
    writeFile(path, out);
}

} // namespace brivel::test
