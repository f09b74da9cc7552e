#pragma once

#include "core/app/AccountLock.h"
#include "core/platform/SystemLog.h"
#include "support/TempDir.h"

#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

namespace brivel::test {

// A private home for one test: XDG_DATA_HOME and XDG_CONFIG_HOME point into a fresh temporary
// folder, and the system log is captured.
class AppEnvironment : public ::testing::Test {
protected:
    AppEnvironment();
    ~AppEnvironment() override;

    std::filesystem::path dataHome() const { return m_temp.path() / "data"; }
    std::filesystem::path configHome() const { return m_temp.path() / "config"; }
    std::filesystem::path support() const { return dataHome() / "Brivel Trade Journal"; }
    std::filesystem::path older() const { return dataHome() / "Brivel"; }
    std::filesystem::path prefsFile() const {
        return configHome() / "Brivel Trade Journal" / "preferences.json";
    }
    std::filesystem::path scratch() const { return m_temp.path() / "scratch"; }

    // A file with its folders, as a user or an older release left it.
    static void put(const std::filesystem::path& file, const std::string& text);
    // Whether the file is an account database this program can open.
    static bool isAccountDatabase(const std::filesystem::path& file);
    // An account folder with an empty account database (and optional extra files).
    void makeAccount(const std::string& code,
                     const std::map<std::string, std::string>& extraFiles = {}) const;

    TempDir m_temp;
    ScopedEnv m_data;
    ScopedEnv m_config;
    MemoryLog m_log;
};

// Another process (a forked child) holding an account's lock, as a window or a command would,
// until it is told to let go or is killed.
class LockHolderProcess {
public:
    LockHolderProcess(const std::filesystem::path& folder, app::AccountLockHolder as);
    ~LockHolderProcess() { finish(); }
    LockHolderProcess(const LockHolderProcess&) = delete;
    LockHolderProcess& operator=(const LockHolderProcess&) = delete;
    void letGo() { finish(); }
    void kill();

private:
    void finish();
    pid_t m_pid = -1;
    int m_go[2] = {-1, -1};
};

// The names of the files directly in a folder, sorted.
std::vector<std::string> fileNames(const std::filesystem::path& folder);
// Every file below a folder, by path relative to the folder, with its size and a digest of its
// bytes (short enough to print when two snapshots differ).
std::map<std::string, std::string> snapshot(const std::filesystem::path& folder);

// The same, with the database compared by its tables and rows rather than its bytes: two
// accounts with the same records and files compare equal.
std::map<std::string, std::string> accountSnapshot(const std::filesystem::path& folder);

// Entry names of a zip archive as "unzip -Z1" lists them.
std::vector<std::string> zipEntryNames(const std::filesystem::path& archive);

// Writes zip archives entry by entry (stored, no compression), so that tests can make archives
// the zip tool would never make: "../" names, absolute names, links.
class ZipWriter {
public:
    void addFile(const std::string& name, const std::string& data,
                 std::uint32_t unixMode = 0100644);
    void addSymlink(const std::string& name, const std::string& target);
    void addFolder(const std::string& name);
    void write(const std::filesystem::path& path) const;

private:
    struct Entry {
        std::string name, data;
        std::uint32_t mode;
    };
    std::vector<Entry> m_entries;
};

} // namespace brivel::test
