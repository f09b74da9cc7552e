#include "AppTestSupport.h"

#include "core/app/AccountLock.h"
#include "core/app/AccountRecord.h"
#include "core/app/Preferences.h"
#include "core/app/StartUp.h"
#include "core/app/SupportFolder.h"

#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace brivel;
using namespace brivel::app;
using brivel::test::readFile;
using brivel::test::writeFile;
using nlohmann::json;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

class StartUpTest : public brivel::test::AppEnvironment {
protected:
    fs::path db(const std::string& code) const { return support() / code / "database.brdb"; }
};

TEST_F(StartUpTest, AFirstStartMakesTheSupportFolderAndTheDefaultAccountAndOpensIt) {
    ASSERT_FALSE(fs::exists(support()));
    Preferences prefs(prefsFile());
    StartUp::Result result = StartUp::run(prefs);

    EXPECT_TRUE(isAccountDatabase(db("B0W1")));
    // The factory list decides: its default account is marked open.
    EXPECT_THAT(result.accountsToOpen, ElementsAre(db("B0W1")));
    // Registered values are never written.
    EXPECT_FALSE(fs::exists(prefsFile()));
}

TEST_F(StartUpTest, TheOlderFolderIsMovedIntoPlaceOnlyWhenTheSupportFolderIsMissing) {
    put(older() / "C3D4" / "database.brdb", "older account");
    put(older() / "B0W1" / "database.brdb", "older default");
    fs::create_directories(support()); // even an empty support folder is never replaced

    Preferences prefs(prefsFile());
    StartUp::prepare(prefs);
    EXPECT_EQ(readFile(older() / "C3D4" / "database.brdb"), "older account");
    EXPECT_FALSE(fs::exists(support() / "C3D4"));
    EXPECT_TRUE(isAccountDatabase(db("B0W1")));

    fs::remove_all(support());
    StartUp::prepare(prefs);
    EXPECT_FALSE(fs::exists(older()));
    EXPECT_EQ(readFile(db("C3D4")), "older account");
    // The default folder is found in the moved folder, its database left alone.
    EXPECT_EQ(readFile(db("B0W1")), "older default");
}

TEST_F(StartUpTest, TheDefaultDatabaseIsMadeWhenMissingAndNeverReplaced) {
    put(support() / "B0W1" / "chart.png", "image");
    Preferences prefs(prefsFile());
    StartUp::prepare(prefs);
    EXPECT_TRUE(isAccountDatabase(db("B0W1")));
    EXPECT_EQ(readFile(support() / "B0W1" / "chart.png"), "image");

    writeFile(db("B0W1"), "the user's data");
    StartUp::prepare(prefs);
    StartUp::prepare(prefs); // the CLI may prepare more than once
    EXPECT_EQ(readFile(db("B0W1")), "the user's data");

    // A plain file in place of the default folder counts as existing: left as it is.
    fs::remove_all(support() / "B0W1");
    writeFile(support() / "B0W1", "not a folder");
    StartUp::prepare(prefs);
    EXPECT_EQ(readFile(support() / "B0W1"), "not a folder");
}

TEST_F(StartUpTest, OnlyRecordsMarkedOpenOpenInListOrderAndEachOnce) {
    // The default account's record is not listed: its folder is made all the same, never opened.
    Preferences prefs(prefsFile());
    prefs.setObject(json::parse(R"([
        {"name": "No flag", "directory": "A1A1"},
        {"name": "Second", "directory": "C2C2", "open": true},
        {"name": "Closed", "directory": "D3D3", "open": false},
        {"name": "First again", "directory": "C2C2", "open": true},
        {"name": "Numeric", "directory": "E4E4", "open": 1},
        {"name": "Escaping", "directory": "..", "open": true}
    ])"),
                    "arrayOfAccounts");
    StartUp::Result result = StartUp::run(prefs);
    EXPECT_THAT(result.accountsToOpen, ElementsAre(db("C2C2"), db("E4E4")));
    EXPECT_TRUE(isAccountDatabase(db("B0W1")));
}

TEST_F(StartUpTest, WhatCrashedRunsLeftBehindGoesAndWhatLivingOnesUseStays) {
    Preferences prefs(prefsFile());
    StartUp::prepare(prefs);
    makeAccount("C3C3");
    makeAccount("D4D4");
    // A process id that is surely gone: a child that has ended and been waited for.
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    const std::string dead = std::to_string(child), alive = std::to_string(::getpid());
    const std::string uuid = "12345678-1234-4234-8234-123456789012";
    auto folder = [&](const std::string& name) {
        put(support() / name / "database.brdb", "copy");
        return support() / name;
    };
    auto file = [&](const fs::path& p) {
        put(p, "left");
        return p;
    };
    const std::vector<fs::path> gone = {
        folder(".B0W1.restore-" + dead + "-" + uuid), folder(".B0W1.replaced-" + dead + "-" + uuid),
        folder(".B0W1.backup-" + dead + "-" + uuid),
        folder(".B0W1.restore-" + uuid), // an older release's, no process named
        file(support() / (".brivel-backup-" + dead + "-" + uuid + ".zip")),
        file(support() / "B0W1" / ("database.brdb.new-" + dead)),
        // An "accounts new" killed before its record was written.
        folder("E5E5"), file(support() / (".E5E5.new-" + dead)),
        // One killed after: the folder stays, the marker goes.
        file(support() / (".C3C3.new-" + dead)),
        file(prefsFile().parent_path() / ".preferences.json.tmp-AbC123"),
        file(support() / ".F6F6.lock"), // the lock of a folder that is gone
    };
    const std::vector<fs::path> kept = {
        folder(".B0W1.restore-" + alive + "-" + uuid),
        file(support() / (".brivel-backup-" + alive + "-" + uuid + ".zip")),
        file(support() / "B0W1" / ("database.brdb.new-" + alive)),
        folder("G7G7"), // still being made by a living process
        file(support() / (".G7G7.new-" + alive)),
        folder("H8H8"), // not listed, but no marker: nobody can tell it is an orphan
        file(support() / "B0W1" / "notes.txt"),
    };
    // Listed accounts: the default, C3C3 and D4D4.
    json accounts = prefs.arrayForKey("arrayOfAccounts");
    accounts.push_back({{"name", "C"}, {"directory", "C3C3"}});
    accounts.push_back({{"name", "D"}, {"directory", "D4D4"}});
    prefs.setObject(accounts, "arrayOfAccounts");
    ASSERT_TRUE(prefs.synchronize());
    {
        // A restore of D4D4 by an older release, still running: its lock keeps its folder.
        folder(".D4D4.restore-" + uuid);
        auto held = AccountLock::acquireForCommand(support() / "D4D4", nullptr);
        ASSERT_TRUE(held);
        Preferences again(prefsFile());
        StartUp::prepare(again);
        EXPECT_TRUE(fs::exists(support() / (".D4D4.restore-" + uuid)));
    }
    for (const auto& p : gone)
        EXPECT_FALSE(fs::exists(fs::symlink_status(p))) << p;
    for (const auto& p : kept)
        EXPECT_TRUE(fs::exists(p)) << p;
    EXPECT_TRUE(isAccountDatabase(db("C3C3")));
    EXPECT_TRUE(isAccountDatabase(db("B0W1")));

    Preferences third(prefsFile());
    StartUp::prepare(third);
    EXPECT_FALSE(fs::exists(support() / (".D4D4.restore-" + uuid)));
}

TEST(AccountPaths, FolderCodesComeFromDocumentPathsAndStayInsideTheSupportFolder) {
    const std::pair<const char*, const char*> documents[] = {
        {"/home/u/x/B0W1/database.brdb", "B0W1"},
        {"B0W1/database.brdb", "B0W1"},
        {"/a/B0W1/other.brdb", ""},
        {"/database.brdb", ""},
    };
    for (const auto& [path, code] : documents)
        EXPECT_EQ(AccountRecord::folderCodeOfDocumentPath(path), code) << path;
    EXPECT_TRUE(AccountRecord::isUsableFolderCode("B0W1"));
    for (const char* code : {"", ".", "..", "../B0W1", "/etc"})
        EXPECT_FALSE(AccountRecord::isUsableFolderCode(code)) << code;
}

TEST(AccountPaths, TheEnvironmentDecidesEveryPath) {
    brivel::test::ScopedEnv data("XDG_DATA_HOME", "/x/data");
    brivel::test::ScopedEnv config("XDG_CONFIG_HOME", "relative/ignored");
    brivel::test::ScopedEnv home("HOME", "/x/home");
    EXPECT_EQ(AccountRecord::databasePath("B0W1"),
              fs::path("/x/data/Brivel Trade Journal/B0W1/database.brdb"));
    EXPECT_EQ(SupportFolder::olderPath(), fs::path("/x/data/Brivel"));
    EXPECT_EQ(SupportFolder::preferencesFile(),
              fs::path("/x/home/.config/Brivel Trade Journal/preferences.json"));
}

} // namespace
