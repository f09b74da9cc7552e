// brivel-cli accounts facing stored control characters and the desktop application's lock, run as a
// user would: a separate process with its own XDG folders and no terminal on standard input.
#include "AppTestSupport.h"
#include "support/CliFixture.h"

#include <algorithm>
#include <chrono>
#include <gmock/gmock.h>

using brivel::test::CliRun;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

using CliAccountsTest = brivel::test::CliFixture;

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
    CliRun csv = cli({"csv", "write"}, std::string("[[\"a\\u001bb\"]]"));
    EXPECT_THAT(csv.out, HasSubstr("a\x1b"
                                   "b"));
}

TEST_F(CliAccountsTest, AnAccountOpenInTheApplicationRefusesWritersAtOnceAndServesReaders) {
    ASSERT_EQ(cli({"trades", "add", "-a", "B0W1", "--ticker", "KEPT"}).status, 0);
    ASSERT_EQ(cli({"accounts", "backup", "B0W1", (scratch() / "before.zip").string()}).status, 0);
    const auto before = brivel::test::snapshot(support() / "B0W1");
    // The desktop application holding the account, played by a child process.
    brivel::test::LockHolderProcess app(support() / "B0W1",
                                        brivel::app::AccountLockHolder::Application);
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
