// brivel-cli accounts, strategies and indices.
#include "core/app/AppTestSupport.h"
#include "support/CliFixture.h"

#include <gmock/gmock.h>
#include <regex>

namespace brivel::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::StartsWith;

class AccountsCommandsTest : public CliFixture {};

TEST_F(AccountsCommandsTest, AFirstRunPreparesTheSupportFolderAndListsTheFactoryAccount) {
    CliRun r = cli({"accounts", "list", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    json accounts = json::parse(r.out);
    ASSERT_EQ(accounts.size(), 1u);
    EXPECT_EQ(accounts[0]["directory"], "B0W1");
    EXPECT_TRUE(fs::exists(support() / "B0W1" / "database.brdb"));
    EXPECT_FALSE(fs::exists(prefsFile())); // nothing changed, nothing written

    CliRun text = cli({"accounts", "list"});
    EXPECT_THAT(text.out, StartsWith("B0W1  open  "));
}

TEST_F(AccountsCommandsTest, NewRenameSetOpenAndDelete) {
    CliRun made = cli({"accounts", "new", "--name", "Swing account"});
    ASSERT_EQ(made.status, 0) << made.err;
    std::string code = made.out.substr(0, made.out.find('\n'));
    ASSERT_TRUE(std::regex_match(code, std::regex("[A-Y][0-8][A-Y][0-8]"))) << made.out;
    EXPECT_TRUE(fs::exists(support() / code / "database.brdb"));

    EXPECT_EQ(cli({"accounts", "rename", code, "Day trades"}).status, 0);
    EXPECT_EQ(cli({"accounts", "set-open", "Day trades", "on"}).status, 0);
    json accounts = listJson("accounts");
    ASSERT_EQ(accounts.size(), 2u);
    EXPECT_EQ(accounts[1], json({{"name", "Day trades"}, {"directory", code}, {"open", true}}));

    // No terminal and no --yes: refused, nothing changed.
    CliRun refused = cli({"accounts", "delete", code});
    EXPECT_EQ(refused.status, 1);
    EXPECT_THAT(refused.err, StartsWith("brivel-cli: "));
    EXPECT_TRUE(fs::exists(support() / code));

    CliRun deleted = cli({"accounts", "delete", "Day trades", "--yes"});
    EXPECT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_FALSE(fs::exists(support() / code));
    EXPECT_EQ(listJson("accounts").size(), 1u);
}

TEST_F(AccountsCommandsTest, AnAccountIsNamedByCodeOrByAUniqueName) {
    CliRun unknown = cli({"accounts", "rename", "Nobody", "X"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, HasSubstr("\"Nobody\""));

    ASSERT_EQ(cli({"accounts", "new", "--name", "Twin"}).status, 0);
    ASSERT_EQ(cli({"accounts", "new", "--name", "Twin"}).status, 0);
    CliRun ambiguous = cli({"accounts", "set-open", "Twin", "on"});
    EXPECT_EQ(ambiguous.status, 1);
    EXPECT_THAT(ambiguous.err, HasSubstr("folder code"));

    EXPECT_EQ(cli({"accounts", "set-open", "B0W1", "maybe"}).status, 2);
}

TEST_F(AccountsCommandsTest, BackupAndRestoreBetweenTwoAccounts) {
    ASSERT_EQ(cli({"accounts", "new", "--name", "Target"}).status, 0);
    writeFile(support() / "B0W1" / "chart.png", "a chart");
    const fs::path archive = scratch() / "b0w1.zip";
    CliRun backup = cli({"accounts", "backup", "B0W1", archive.string()});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_THAT(zipEntryNames(archive), ::testing::ElementsAre("chart.png", "database.brdb"));

    CliRun refused = cli({"accounts", "restore", "Target", archive.string()});
    EXPECT_EQ(refused.status, 1);
    CliRun restored = cli({"accounts", "restore", "Target", archive.string(), "--yes"});
    ASSERT_EQ(restored.status, 0) << restored.err;
    const std::string code = listJson("accounts")[1]["directory"];
    EXPECT_EQ(readFile(support() / code / "chart.png"), "a chart");
    EXPECT_EQ(listJson("accounts")[1]["name"], "Target");

    writeFile(scratch() / "bad.zip", "not an archive");
    CliRun failed =
        cli({"accounts", "restore", "Target", (scratch() / "bad.zip").string(), "--yes"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_THAT(failed.err,
                HasSubstr("brivel-cli: Restore Failed! Restore failed, please try again."));
    EXPECT_EQ(readFile(support() / code / "chart.png"), "a chart");

    CliRun noAccountFolder =
        cli({"accounts", "backup", "B0W1", (scratch() / "no/such/dir.zip").string()});
    EXPECT_EQ(noAccountFolder.status, 1);
    EXPECT_THAT(noAccountFolder.err, HasSubstr("Backup Failed!"));
}

TEST_F(AccountsCommandsTest, StrategiesAndIndicesAreEditedByPosition) {
    json factory = listJson("strategies");
    ASSERT_FALSE(factory.empty());

    CliRun added = cli({"strategies", "add", "Opening range"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, std::to_string(factory.size()) + "\n");
    json after = listJson("strategies");
    EXPECT_EQ(after.back(), json({{"strategy", "Opening range"}}));

    CliRun removed = cli({"strategies", "remove", "0", "--json"});
    ASSERT_EQ(removed.status, 0) << removed.err;
    after.erase(after.begin());
    EXPECT_EQ(json::parse(removed.out), after);

    CliRun outOfRange = cli({"strategies", "remove", "99"});
    EXPECT_EQ(outOfRange.status, 1);
    EXPECT_THAT(outOfRange.err, HasSubstr("position 99"));
    EXPECT_EQ(cli({"strategies", "remove", "first"}).status, 2);

    ASSERT_EQ(cli({"indices", "add", "RUT"}).status, 0);
    json indices = listJson("indices");
    EXPECT_EQ(indices.back(), json({{"index", "RUT"}}));
    EXPECT_EQ(listJson("strategies"), after); // one list's edit leaves the other alone
}

TEST_F(AccountsCommandsTest, ACorruptPreferencesFileDoesNotStopACommand) {
    fs::create_directories(prefsFile().parent_path());
    writeFile(prefsFile(), "{ broken");
    CliRun r = cli({"indices", "list", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("NASDAQ"));
    EXPECT_THAT(r.err, HasSubstr("unreadable"));
    EXPECT_THAT(fileNames(prefsFile().parent_path()),
                ::testing::Contains(StartsWith("preferences.json.unreadable-")).Times(1));
}

} // namespace
} // namespace brivel::test
