#include "AppTestSupport.h"

#include "core/app/AccountBackup.h"
#include "core/app/AccountCommands.h"
#include "core/app/Preferences.h"
#include "core/app/StartUp.h"
#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Trade.h"
#include "support/SqlFile.h"

#include <functional>
#include <gmock/gmock.h>
#include <thread>

using namespace brivel;
using namespace brivel::app;
using brivel::test::accountSnapshot;
using brivel::test::fileNames;
using brivel::test::readFile;
using brivel::test::snapshot;
using brivel::test::writeFile;
using brivel::test::zipEntryNames;
using brivel::test::ZipWriter;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

// Runs the real tools and remembers their arguments.
class RecordingRunner final : public ProcessRunner {
public:
    ProcessResult run(const std::string& program, const std::vector<std::string>& args,
                      const std::optional<std::string>& workingDirectory) override {
        calls.push_back(args);
        return m_real.run(program, args, workingDirectory);
    }
    std::vector<std::vector<std::string>> calls;

private:
    PosixProcessRunner m_real;
};

const std::map<std::string, std::string> twoCharts = {
    {"5A4C7E0B-1D2E-4F3A-9B8C-7D6E5F4A3B2C.png", "entry chart"},
    {"9F8E7D6C-5B4A-4392-8170-6F5E4D3C2B1A.png", "exit chart"}};

class AccountBackupTest : public brivel::test::AppEnvironment {
protected:
    AccountBackupTest()
        : prefs(prefsFile()), backup(runner),
          commands(prompter, backup,
                   DocumentHooks{[this](const fs::path& p) { events.push_back("open " + code(p)); },
                                 [this](const fs::path& p) {
                                     events.push_back("close " + code(p));
                                     return closeAnswers;
                                 }}) {
        StartUp::prepare(prefs);
    }

    static std::string code(const fs::path& db) { return db.parent_path().filename().string(); }

    // The account B as the user left it, for the "untouched" checks.
    void makeAccountB() { makeAccount("B2B2", {{"B-chart.png", "B's chart"}}); }

    // No staging folder is ever left beside the accounts.
    void expectNoLeftovers() const {
        for (const auto& name : fileNames(support())) {
            if (!name.ends_with(".lock")) { // each account's lock file stays beside its folder
                EXPECT_NE(name.front(), '.') << name;
            }
        }
    }

    // A restore into B that fails, says why in one log line and changes nothing.
    void expectRestoreFailedAndBUntouched(const fs::path& archive, const std::string& why = "",
                                          AccountCommands* through = nullptr) {
        prompter = ScriptedPrompter();
        m_log.clear();
        const auto before = snapshot(support() / "B2B2");
        prompter.queueAnswer(true);
        auto outcome = (through ? *through : commands).restoreAccount("B2B2", archive);
        ASSERT_TRUE(outcome.has_value());
        EXPECT_FALSE(outcome->succeeded);
        EXPECT_EQ(snapshot(support() / "B2B2"), before);
        ASSERT_EQ(prompter.asked().size(), 2u);
        EXPECT_EQ(prompter.asked()[1].title, "Restore Failed!");
        EXPECT_EQ(prompter.asked()[1].message, "Restore failed, please try again.");
        EXPECT_TRUE(events.empty()) << "neither closed nor opened";
        expectNoLeftovers();
        ASSERT_EQ(m_log.lines().size(), 1u);
        EXPECT_THAT(m_log.lines()[0], ::testing::HasSubstr(why));
    }

    Preferences prefs;
    RecordingRunner runner;
    AccountBackup backup;
    ScriptedPrompter prompter;
    std::vector<std::string> events;
    bool closeAnswers = true;
    AccountCommands commands;
};

TEST_F(AccountBackupTest, ABackupHoldsTheDatabaseAndTheChartsWithoutFolderNames) {
    makeAccount("A1A1", twoCharts);
    makeAccount("C3C3", {{"C-only.png", "C's chart"}});
    // A relative archive path means the caller's folder, not the support folder zip runs in.
    const auto cwd = fs::current_path();
    fs::current_path(scratch());
    const bool olderOne = backup.backup("C3C3", "A.zip").succeeded; // replaced whole below
    const bool backedUp = commands.backupAccount("A1A1", "A.zip").succeeded;
    fs::current_path(cwd);
    ASSERT_TRUE(olderOne);
    EXPECT_TRUE(backedUp);

    EXPECT_THAT(zipEntryNames(scratch() / "A.zip"),
                ElementsAre("5A4C7E0B-1D2E-4F3A-9B8C-7D6E5F4A3B2C.png",
                            "9F8E7D6C-5B4A-4392-8170-6F5E4D3C2B1A.png", "database.brdb"));
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].title, "Backup Complete!");
    EXPECT_EQ(prompter.asked()[0].message, "Backup completed successfully.");
    EXPECT_TRUE(prompter.asked()[0].isAlert);

    // zip reads a consistent copy of the database, not the live file, and writes the archive
    // in the support folder first.
    ASSERT_EQ(runner.calls.size(), 2u);
    const auto& args = runner.calls[1];
    ASSERT_EQ(args.size(), 6u);
    EXPECT_EQ(fs::path(args[2]).parent_path(), support());
    EXPECT_EQ(fs::path(args[3]).filename(), "database.brdb");
    EXPECT_NE(fs::path(args[3]).parent_path(), support() / "A1A1");
    expectNoLeftovers();
    EXPECT_THAT(fileNames(scratch()), ElementsAre("A.zip"));
}

TEST_F(AccountBackupTest, AFailedBackupLeavesAnOlderArchiveUntouchedAndLogsTheStatus) {
    const fs::path archive = scratch() / "keep.zip";
    writeFile(archive, "an older archive");
    // No folder "Q9Q9": there is no database to copy.
    EXPECT_FALSE(commands.backupAccount("Q9Q9", archive).succeeded);
    EXPECT_TRUE(m_log.contains(
        "Backup failed: The account database could not be opened. unable to open database file"))
        << m_log.lines().front();
    // A zip tool that fails, or that is not there at all.
    makeAccount("A1A1");
    for (const char* zip : {"/bin/false", "/nonexistent/zip"}) {
        AccountBackup failing(runner, zip);
        AccountCommands failingCommands(prompter, failing);
        EXPECT_FALSE(failingCommands.backupAccount("A1A1", archive).succeeded) << zip;
    }
    EXPECT_TRUE(m_log.contains("Zip task failed with 1."));
    EXPECT_EQ(readFile(archive), "an older archive");
    EXPECT_THAT(fileNames(scratch()), ElementsAre("keep.zip"));
    ASSERT_EQ(prompter.asked().size(), 3u);
    for (const auto& asked : prompter.asked()) {
        EXPECT_EQ(asked.title, "Backup Failed!");
        EXPECT_EQ(asked.message, "Backup failed, please try again.");
    }
    expectNoLeftovers();
}

TEST_F(AccountBackupTest, RestoringABackupOfAIntoBPutsAsFilesInBsFolder) {
    makeAccount("A1A1", twoCharts);
    makeAccountB();
    const fs::path archive = scratch() / "A.zip";
    ASSERT_TRUE(backup.backup("A1A1", archive).succeeded);
    const auto aFiles = accountSnapshot(support() / "A1A1");
    const auto snapshotBeforeRestore = snapshot(support() / "A1A1");

    // No to the question does nothing at all: nothing unpacked, nothing closed.
    const auto bBefore = snapshot(support() / "B2B2");
    prompter.queueAnswer(false);
    EXPECT_FALSE(commands.restoreAccount("B2B2", archive).has_value());
    EXPECT_EQ(snapshot(support() / "B2B2"), bBefore);
    EXPECT_EQ(runner.calls.size(), 1u); // only the backup ran
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(prompter.asked().size(), 1u);

    prompter = ScriptedPrompter();
    prompter.queueAnswer(true);
    auto outcome = commands.restoreAccount("B2B2", archive);
    ASSERT_TRUE(outcome.has_value());
    EXPECT_TRUE(outcome->succeeded) << outcome->detail;
    EXPECT_EQ(accountSnapshot(support() / "B2B2"), aFiles); // B's own chart is gone
    EXPECT_EQ(snapshot(support() / "A1A1"), snapshotBeforeRestore);

    ASSERT_EQ(prompter.asked().size(), 2u);
    EXPECT_EQ(prompter.asked()[0].title, "Confirm Restore");
    EXPECT_EQ(prompter.asked()[0].message,
              "Are you sure you want to restore this account? Any data in the current account "
              "will be permanently lost!");
    EXPECT_EQ(prompter.asked()[0].defaultButton, "No");
    EXPECT_EQ(prompter.asked()[0].alternateButton, "Yes");
    EXPECT_EQ(prompter.asked()[1].title, "Restore Complete!");
    EXPECT_EQ(prompter.asked()[1].message,
              "Restore completed successfully. Your new account will now open ...");
    // Closed before the swap, opened after the panel.
    EXPECT_THAT(events, ElementsAre("close B2B2", "open B2B2"));

    // Unpacked beside the accounts, so that the swap is a rename on one file system.
    ASSERT_EQ(runner.calls.size(), 2u);
    EXPECT_EQ(fs::path(runner.calls[1].back()).parent_path(), support());
    expectNoLeftovers();
}

TEST_F(AccountBackupTest, ArchivesThatAreUnreadableOrNotAnAccountsBackupLeaveTheAccountUntouched) {
    makeAccountB();
    makeAccount("A1A1");
    const std::string db = readFile(support() / "A1A1" / "database.brdb");
    struct Case {
        const char* name;
        bool withDatabase; // a sound database first, then what is wrong
        std::function<void(ZipWriter&)> fill;
    };
    const std::vector<Case> cases = {
        {"dotdot.zip", true, [](ZipWriter& z) { z.addFile("../escaped.png", "outside"); }},
        {"nodb.zip", false, [](ZipWriter& z) { z.addFile("chart.png", "just an image"); }},
        {"notours.zip", false,
         [](ZipWriter& z) { z.addFile("database.brdb", "SQLite? not really"); }},
        {"link.zip", true, [](ZipWriter& z) { z.addSymlink("chart.png", "/etc/passwd"); }},
        {"folder.zip", true,
         [](ZipWriter& z) {
             z.addFolder("sub/");
             z.addFile("sub/chart.png", "nested");
         }},
        {"absolute.zip", true, [](ZipWriter& z) { z.addFile("/tmp/absolute.png", "absolute"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZipWriter zip;
        if (c.withDatabase)
            zip.addFile("database.brdb", db);
        c.fill(zip);
        zip.write(scratch() / c.name);
        expectRestoreFailedAndBUntouched(scratch() / c.name);
    }
    EXPECT_FALSE(fs::exists(support() / "escaped.png"));
    EXPECT_FALSE(fs::exists(dataHome() / "escaped.png"));
    expectRestoreFailedAndBUntouched(scratch() / "missing.zip");

    // Not a zip archive at all, or no unzip tool to read a sound one.
    writeFile(scratch() / "corrupt.zip", std::string(4096, '\x5a'));
    expectRestoreFailedAndBUntouched(scratch() / "corrupt.zip", "Unzip task failed with 9.");
    ASSERT_TRUE(backup.backup("B2B2", scratch() / "good.zip").succeeded);
    AccountBackup broken(runner, "/nonexistent/zip", "/nonexistent/unzip");
    AccountCommands brokenCommands(prompter, broken);
    expectRestoreFailedAndBUntouched(scratch() / "good.zip", "", &brokenCommands);
}

TEST_F(AccountBackupTest, TheLongPartRunsOnAWorkerAndRestoresIntoAMissingFolder) {
    makeAccount("A1A1", twoCharts);
    std::thread::id worker;
    ArchiveOutcome outcome;
    {
        std::jthread job =
            backup.startBackup("A1A1", scratch() / "async.zip", [&](ArchiveOutcome o) {
                worker = std::this_thread::get_id();
                outcome = std::move(o);
            });
    } // joined here
    EXPECT_TRUE(outcome.succeeded);
    EXPECT_NE(worker, std::this_thread::get_id());

    // Restored into an account whose folder is gone: the commit makes it.
    {
        StagedRestore dropped = backup.stageRestore("D4D4", scratch() / "async.zip");
        ASSERT_TRUE(dropped.ok()) << dropped.failure();
        EXPECT_TRUE(fs::is_directory(dropped.stagingFolder()));
    } // a staged restore never committed leaves nothing behind
    expectNoLeftovers();
    StagedRestore staged;
    {
        std::jthread job = backup.startStagingRestore(
            "D4D4", scratch() / "async.zip", [&](StagedRestore s) { staged = std::move(s); });
    }
    ASSERT_TRUE(staged.ok()) << staged.failure();
    EXPECT_FALSE(fs::exists(support() / "D4D4")); // staging touches nothing
    EXPECT_TRUE(commands.finishRestore(std::move(staged)).succeeded);
    EXPECT_EQ(accountSnapshot(support() / "D4D4"), accountSnapshot(support() / "A1A1"));
    EXPECT_THAT(events, ElementsAre("close D4D4", "open D4D4"));
    expectNoLeftovers();
}

// An account database made by this program, then changed behind its back with SQL: the way a
// crafted file would come in. The identifier triggers are dropped first, as a crafter would.
std::string craftedDatabase(const fs::path& folder, const std::string& chartName,
                            const std::string& sql) {
    const fs::path path = folder / "crafted.brdb";
    fs::remove(path);
    Error error;
    EXPECT_TRUE(model::createEmptyAccountStore(path, &error)) << error.message();
    {
        auto context = model::openAccountStore(path, &error);
        auto* trade = model::Trade::insertInManagedObjectContext(context.get());
        trade->setTicker("AAPL");
        auto* chart = model::ChartImage::insertInManagedObjectContext(context.get());
        chart->setEntryImg(chartName);
        trade->setChartImg(chart);
        EXPECT_TRUE(context->save(&error)) << error.message();
    }
    EXPECT_EQ(brivel::test::dropTriggers(path), "");
    EXPECT_EQ(brivel::test::execSql(path, sql), "");
    return readFile(path);
}

// A page in the middle of the file overwritten: the header still says "ours".
std::string withTornPage(std::string db) {
    const std::size_t page = 4096;
    if (db.size() > 3 * page)
        std::fill_n(db.begin() + static_cast<std::ptrdiff_t>(db.size() - 2 * page), page, '\x7f');
    return db;
}

TEST_F(AccountBackupTest, CraftedDatabasesAreRefusedAtRestore) {
    makeAccountB();
    const std::string image = "B0W1/5A4C7E0B-1D2E-4F3A-9B8C-7D6E5F4A3B2C.png";
    struct Case {
        const char* name;
        std::string database;
        const char* why;
    };
    // Enough rows for the torn page to hold data, not the schema.
    std::string manyNotes = "INSERT INTO \"Note\" (id, comment) WITH RECURSIVE n(i) AS (SELECT "
                            "100 UNION ALL SELECT i + 1 FROM n WHERE i < 400) SELECT i, "
                            "printf('%.200c', 'x') FROM n;";
    const std::vector<Case> cases = {
        {"database as image", craftedDatabase(scratch(), "B0W1/database.brdb", ""), "image name"},
        {"hidden image", craftedDatabase(scratch(), "B0W1/.preferences.png", ""), "image name"},
        {"huge identifier",
         craftedDatabase(scratch(), image, "UPDATE \"Trade\" SET id = 300000000;"),
         "identifier 300000000"},
        {"negative identifier", craftedDatabase(scratch(), image, "UPDATE \"Trade\" SET id = -5;"),
         "identifier -5"},
        {"next_id at the maximum",
         craftedDatabase(scratch(), image,
                         "UPDATE brivel_meta SET value = 9223372036854775807 WHERE key = "
                         "'next_id';"),
         "next record identifier"},
        {"next_id as text",
         craftedDatabase(scratch(), image,
                         "UPDATE brivel_meta SET value = 'many' WHERE key = 'next_id';"),
         "next record identifier"},
        {"shared identifier",
         craftedDatabase(scratch(), image, "INSERT INTO \"Order\" (id) SELECT id FROM \"Trade\";"),
         "share the identifier"},
        {"torn page", withTornPage(craftedDatabase(scratch(), image, manyNotes)), "check failed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ZipWriter zip;
        zip.addFile("database.brdb", c.database);
        zip.write(scratch() / "crafted.zip");
        expectRestoreFailedAndBUntouched(scratch() / "crafted.zip", c.why);
    }
    // The same file with a sound image name restores.
    ZipWriter sound;
    sound.addFile("database.brdb", craftedDatabase(scratch(), image, ""));
    sound.write(scratch() / "sound.zip");
    prompter = ScriptedPrompter();
    prompter.queueAnswer(true);
    auto outcome = commands.restoreAccount("B2B2", scratch() / "sound.zip");
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->succeeded) << outcome->detail;
}

} // namespace
