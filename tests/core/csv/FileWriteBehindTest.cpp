#include "core/csv/FileWriteBehind.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace brivel::csv {
namespace {

// Hands over pieces of the sizes given, cut from bytes that show any misplaced copy; returns
// what was handed over.
std::string submitPieces(FileWriteBehind& writer, const std::vector<std::size_t>& sizes) {
    std::string all;
    std::mt19937 random(11);
    for (const std::size_t size : sizes) {
        std::string piece(size, '\0');
        for (char& c : piece)
            c = static_cast<char>(random());
        std::memcpy(writer.buffer(), piece.data(), size);
        writer.submit(size);
        all += piece;
    }
    return all;
}

TEST(FileWriteBehind, PiecesReachTheFileWholeAndInOrder) {
    // Several ring turns, with empty, full and odd pieces.
    std::vector<std::size_t> sizes;
    for (std::size_t i = 0; i < 5 * BufferRing::kSlotCount; ++i)
        sizes.push_back(i % 3 == 0 ? FileWriteBehind::kSlotSize : (i * 7919) % 100000);
    sizes.insert(sizes.begin() + 3, 0);
    for (const bool finish : {true, false}) {
        SCOPED_TRACE(finish ? "finished" : "destroyed only");
        test::TempDir dir;
        const auto path = dir / "out";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        std::string expected;
        {
            FileWriteBehind writer(fd);
            expected = submitPieces(writer, sizes);
            if (finish) {
                EXPECT_EQ(writer.finish(), 0);
            }
        }
        ::close(fd);
        EXPECT_TRUE(test::readFile(path) == expected);
    }
}

TEST(FileWriteBehind, AFailedWriteIsToldByFinishAndStays) {
    test::TempDir dir;
    const auto path = dir / "read-only";
    test::writeFile(path, "x");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        FileWriteBehind writer(fd);
        submitPieces(writer, {1000, FileWriteBehind::kSlotSize, 5});
        EXPECT_EQ(writer.finish(), EBADF);
        submitPieces(writer, {10});
        EXPECT_EQ(writer.finish(), EBADF);
    }
    ::close(fd);
    EXPECT_EQ(test::readFile(path), "x");
}

} // namespace
} // namespace brivel::csv
