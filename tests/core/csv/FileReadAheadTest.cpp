#include "core/csv/FileReadAhead.h"
#include "core/csv/FileInputStream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace brivel::csv {
namespace {

// Several ring turns and a tail that fills no slot, in bytes that show any misplaced copy.
std::string sampleBytes() {
    std::string bytes(3 * FileReadAhead::kSlotCount * FileReadAhead::kSlotSize + 12345, '\0');
    std::mt19937 random(7);
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

std::string readAll(InputStream& stream, std::size_t step) {
    std::string got, chunk(step, '\0');
    std::ptrdiff_t n;
    while ((n = stream.read(chunk.data(), step)) > 0)
        got.append(chunk.data(), static_cast<std::size_t>(n));
    EXPECT_EQ(n, 0);
    return got;
}

TEST(FileReadAhead, LargeFilesReadWholeAndInOrderWhateverTheStep) {
    test::TempDir dir;
    const auto path = dir / "large.csv";
    const std::string bytes = sampleBytes();
    test::writeFile(path, bytes);
    // Steps below, at and above the slot size, and one that never divides it.
    for (const std::size_t step : {std::size_t(1) << 11, FileReadAhead::kSlotSize,
                                   FileReadAhead::kSlotSize * 3 + 1, std::size_t(4099)}) {
        FileInputStream stream(path);
        stream.open();
        ASSERT_EQ(stream.streamStatus(), InputStream::Status::Open);
        EXPECT_TRUE(readAll(stream, step) == bytes) << "step " << step;
        EXPECT_EQ(stream.streamStatus(), InputStream::Status::AtEnd);
        EXPECT_EQ(stream.read(nullptr, 0), 0); // stays at the end
    }
}

TEST(FileReadAhead, StopsWhenClosedHalfWayAndAfterATruncation) {
    test::TempDir dir;
    const auto path = dir / "large.csv";
    const std::string bytes = sampleBytes();
    test::writeFile(path, bytes);
    {
        // Closing with the ring full must not wait for the rest of the file.
        FileInputStream stream(path);
        stream.open();
        char some[100];
        ASSERT_EQ(stream.read(some, sizeof some), 100);
        stream.close();
        EXPECT_EQ(stream.streamStatus(), InputStream::Status::Closed);
    }
    // A file cut short while it is read ends early and cleanly. Bytes read while the cut was
    // being made are the kernel's to decide; the first slot was complete before it.
    FileInputStream stream(path);
    stream.open();
    char first[10];
    ASSERT_EQ(stream.read(first, sizeof first), 10);
    ASSERT_EQ(::truncate(path.c_str(), FileReadAhead::kSlotSize), 0);
    const std::string rest = readAll(stream, 5000);
    ASSERT_GE(rest.size() + 10, FileReadAhead::kSlotSize);
    EXPECT_LT(rest.size(), bytes.size());
    EXPECT_TRUE(bytes.compare(10, FileReadAhead::kSlotSize - 10, rest, 0,
                              FileReadAhead::kSlotSize - 10) == 0);
}

TEST(FileReadAhead, AFailedReadReachesTheCallerAndStays) {
    test::TempDir dir;
    const auto path = dir / "out.csv";
    test::writeFile(path, "x");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    {
        FileReadAhead ahead(fd);
        char buffer[16];
        EXPECT_EQ(ahead.read(buffer, sizeof buffer), -1);
        EXPECT_EQ(ahead.error(), EBADF);
        EXPECT_EQ(ahead.read(buffer, sizeof buffer), -1);
    }
    ::close(fd);
}

} // namespace
} // namespace brivel::csv
