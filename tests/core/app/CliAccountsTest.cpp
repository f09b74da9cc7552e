// brivel-cli accounts, strategies and indices, run as a user would: a separate process with its
// own XDG folders and no terminal on standard input.
#include "AppTestSupport.h"
#include "core/app/AccountLock.h"
#include "support/CliRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <gmock/gmock.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <sys/wait.h>
#include <unistd.h>

#ifndef BRIVEL_CLI_PATH
#error "BRIVEL_CLI_PATH must name the brivel-cli executable"
#endif

using brivel::test::readFile;
using brivel::test::writeFile;
using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::StartsWith;
namespace fs = std::filesystem;

namespace {

using brivel::test::CliRun;

class CliAccountsTest : public brivel::test::AppEnvironment {
protected:
    CliRun cli(const std::vector<std::string>& args) const {
        return brivel::test::runProgram(BRIVEL_CLI_PATH, args, m_temp.path());
    }
    json listJson(const std::string& what) const {
        CliRun r = cli({what, "list", "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        return json::parse(r.out);
    }
};

TEST_F(CliAccountsTest, AFirstRunPreparesTheSupportFolderAndListsTheFactoryAccount) {
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

TEST_F(CliAccountsTest, NewRenameSetOpenAndDelete) {
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

TEST_F(CliAccountsTest, AnAccountIsNamedByCodeOrByAUniqueName) {
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

TEST_F(CliAccountsTest, BackupAndRestoreBetweenTwoAccounts) {
    ASSERT_EQ(cli({"accounts", "new", "--name", "Target"}).status, 0);
    writeFile(support() / "B0W1" / "chart.png", "a chart");
    const fs::path archive = scratch() / "b0w1.zip";
    CliRun backup = cli({"accounts", "backup", "B0W1", archive.string()});
    ASSERT_EQ(backup.status, 0) << backup.err;
    EXPECT_THAT(brivel::test::zipEntryNames(archive),
                ::testing::ElementsAre("chart.png", "database.brdb"));

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

TEST_F(CliAccountsTest, StrategiesAndIndicesAreEditedByPosition) {
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

TEST_F(CliAccountsTest, ACorruptPreferencesFileDoesNotStopACommand) {
    fs::create_directories(prefsFile().parent_path());
    writeFile(prefsFile(), "{ broken");
    CliRun r = cli({"indices", "list", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, HasSubstr("NASDAQ"));
    EXPECT_THAT(r.err, HasSubstr("unreadable"));
    int copies = 0;
    for (const auto& e : fs::directory_iterator(prefsFile().parent_path()))
        copies += e.path().filename().string().find("preferences.json.unreadable-") == 0;
    EXPECT_EQ(copies, 1);
}

TEST_F(CliAccountsTest, StoredControlCharactersPrintEscapedInTextAndAsTheyAreInJson) {
    const std::string name = "\x1b[2J\x1b]0;owned\x07"
                             "Day\rtrades\xc2\x9b";
    ASSERT_EQ(cli({"accounts", "rename", "B0W1", name}).status, 0);
    CliRun text = cli({"accounts", "list"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_THAT(text.out, HasSubstr("\\x1B[2J\\x1B]0;owned\\x07Day\\x0Dtrades\\u009B"));
    for (char c : text.out)
        EXPECT_TRUE(c == '\n' || static_cast<unsigned char>(c) >= 0x20) << int(c);
    EXPECT_EQ(listJson("accounts")[0]["name"], name);
    CliRun missing = cli({"accounts", "rename", "\x1b[2J", "x"});
    EXPECT_EQ(missing.err.find('\x1b'), std::string::npos);
    // CSV text written to standard output is data: byte for byte.
    CliRun csv = brivel::test::runProgram(BRIVEL_CLI_PATH, {"csv", "write"}, m_temp.path(),
                                          std::string("[[\"a\\u001bb\"]]"));
    EXPECT_THAT(csv.out, HasSubstr("a\x1b"
                                   "b"));
}

// The desktop application holding an account, played by a child process.
class ApplicationHolder {
public:
    explicit ApplicationHolder(const fs::path& folder) {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        EXPECT_EQ(::pipe(m_done), 0);
        m_pid = ::fork();
        if (m_pid == 0) {
            auto lock = brivel::app::AccountLock::acquireForApplication(folder, nullptr);
            char c = lock ? 'y' : 'n';
            (void)!::write(ready[1], &c, 1);
            (void)!::read(m_done[0], &c, 1);
            ::_exit(0);
        }
        char c = 0;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        EXPECT_EQ(c, 'y');
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~ApplicationHolder() {
        char c = 'x';
        (void)!::write(m_done[1], &c, 1);
        ::waitpid(m_pid, nullptr, 0);
        ::close(m_done[0]);
        ::close(m_done[1]);
    }

private:
    pid_t m_pid = -1;
    int m_done[2] = {-1, -1};
};

TEST_F(CliAccountsTest, AnAccountOpenInTheApplicationRefusesWritersAtOnceAndServesReaders) {
    ASSERT_EQ(cli({"trades", "add", "-a", "B0W1", "--ticker", "KEPT"}).status, 0);
    ASSERT_EQ(cli({"accounts", "backup", "B0W1", (scratch() / "before.zip").string()}).status, 0);
    const auto before = brivel::test::snapshot(support() / "B0W1");
    ApplicationHolder app(support() / "B0W1");
    const std::vector<std::vector<std::string>> writers = {
        {"trades", "add", "-a", "B0W1"},
        {"journal", "add", "-a", "B0W1"},
        {"accounts", "delete", "B0W1", "--yes"},
        {"accounts", "restore", "B0W1", (scratch() / "before.zip").string(), "--yes"},
    };
    for (const auto& args : writers) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        auto start = std::chrono::steady_clock::now();
        CliRun r = cli(args);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_EQ(r.status, 1);
        EXPECT_THAT(r.err, StartsWith("brivel-cli: "));
        EXPECT_THAT(r.err, HasSubstr("open in Brivel Trade Journal"));
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
    }
    EXPECT_EQ(brivel::test::snapshot(support() / "B0W1"), before);
    EXPECT_EQ(listJson("accounts").size(), 1u);
    CliRun listed = cli({"trades", "list", "-a", "B0W1"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_THAT(listed.out, HasSubstr("KEPT"));
    // A backup only reads: it is taken from a consistent copy.
    CliRun backup = cli({"accounts", "backup", "B0W1", (scratch() / "open.zip").string()});
    EXPECT_EQ(backup.status, 0) << backup.err;
}

} // namespace
