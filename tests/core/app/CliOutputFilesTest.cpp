// Where brivel-cli writes an export or a report: a full disk keeps the previous file whole, a
// symbolic link is written through, a FIFO is written into and stays a FIFO.
#include "AppTestSupport.h"
#include "support/CliFixture.h"

#include <cstdlib>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using brivel::test::CliRun;
using brivel::test::readFile;
using brivel::test::writeFile;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

class CliOutputFilesTest : public brivel::test::CliFixture {
protected:
    // A trade with one order: the trade export writes a line per order.
    void addTrade(const std::string& ticker) const {
        CliRun trade = cli({"trades", "add", "-a", "B0W1", "--ticker", ticker});
        ASSERT_EQ(trade.status, 0) << trade.err;
        CliRun order = cli({"orders", "add", "-a", "B0W1", "--trade", trade.id(), "--side", "buy",
                            "--shares", "100", "--price", "10", "--desc", "A"});
        ASSERT_EQ(order.status, 0) << order.err;
    }
};

TEST_F(CliOutputFilesTest, LinksAreWrittenThroughAndFifosWrittenInto) {
    addTrade("LINKED");
    const fs::path real = scratch() / "real.csv", link = scratch() / "link.csv";
    writeFile(real, "old");
    fs::create_symlink(real, link);
    for (const auto& args :
         {std::vector<std::string>{"export", "trades", "-a", "B0W1", link},
          std::vector<std::string>{"report", "-a", "B0W1", "--type", "trades", "--from",
                                   "2000-01-01", "--to", "2100-01-01", "-o", link}}) {
        SCOPED_TRACE(args[0]);
        CliRun r = cli(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_THAT(readFile(real), HasSubstr("LINKED"));
    }

    const fs::path fifo = scratch() / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(fifo); });
    CliRun r = cli({"export", "trades", "-a", "B0W1", fifo.string()});
    reader.join();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(received, HasSubstr("LINKED"));
    struct stat st {};
    ASSERT_EQ(::stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(CliOutputFilesTest, AFullDiskKeepsThePreviousExportWhole) {
    const fs::path disk = scratch() / "small";
    fs::create_directories(disk);
    if (::geteuid() != 0 ||
        std::system(
            ("mount -t tmpfs -o size=64k tmpfs '" + disk.string() + "' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "needs root to mount a small tmpfs";
    struct Unmount {
        fs::path p;
        ~Unmount() { (void)!std::system(("umount '" + p.string() + "'").c_str()); }
    } unmount{disk};
    addTrade(std::string(100000, 'T')); // more than the disk holds
    const fs::path previous = disk / "trades.csv";
    const std::string complete = "Number,Date\n1,complete previous export\n";
    writeFile(previous, complete);
    CliRun r = cli({"export", "trades", "-a", "B0W1", previous.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("brivel-cli: "));
    EXPECT_EQ(readFile(previous), complete);
    EXPECT_EQ(brivel::test::fileNames(disk), std::vector<std::string>{"trades.csv"});
}

} // namespace
