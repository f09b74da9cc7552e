#include "core/platform/AtomicFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace brivel {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class AtomicFileTest : public ::testing::Test {
protected:
    test::TempDir dir;
    fs::path target = dir / "prefs.json";
};

TEST_F(AtomicFileTest, ReplacesTheWholeFileKeepsItsPermissionsAndLeavesNothingBehind) {
    writeFile(target, "old contents, longer than the new");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    Error error;
    ASSERT_TRUE(AtomicFile::write(target, "new", &error)) << error.message();
    EXPECT_EQ(readFile(target), "new");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"prefs.json"});
}

TEST_F(AtomicFileTest, TheDestinationIsUntouchedUntilTheCommit) {
    writeFile(target, "old");
    {
        AtomicFile file(target);
        Error error;
        ASSERT_TRUE(file.open(&error)) << error.message();
        EXPECT_EQ(file.temporaryPath().parent_path(), dir.path()) << "same folder: one rename";
        ASSERT_TRUE(file.append("half of it", &error));
        EXPECT_EQ(readFile(target), "old");
        // Never committed: dropped with the object.
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"prefs.json"});
}

TEST_F(AtomicFileTest, AMissingFolderIsAFailureWithTheFileNamed) {
    Error error;
    EXPECT_FALSE(AtomicFile::write(dir / "no" / "such.json", "x", &error));
    EXPECT_NE(error.message().find("such.json"), std::string::npos) << error.message();
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(AtomicFileTest, AFileOnAnotherFileSystemIsCopiedBesideTheDestinationThenRenamed) {
    // /dev/shm is a memory file system on Linux; the test folder is on disk.
    struct stat shm {
    }, here{};
    if (::stat("/dev/shm", &shm) != 0 || ::stat(dir.path().c_str(), &here) != 0 ||
        shm.st_dev == here.st_dev)
        GTEST_SKIP() << "no second file system to move across";
    const fs::path source = fs::path("/dev/shm") / ("brivel-atomic-" + std::to_string(::getpid()));
    writeFile(source, "from elsewhere");
    writeFile(target, "old");
    Error error;
    ASSERT_TRUE(AtomicFile::moveIntoPlace(source, target, &error)) << error.message();
    EXPECT_EQ(readFile(target), "from elsewhere");
    EXPECT_FALSE(fs::exists(source));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"prefs.json"});
}

} // namespace
} // namespace brivel
