#pragma once

#include "core/csv/BufferRing.h"

#include <cstddef>
#include <thread>

namespace brivel::csv {

// Reads a file descriptor front to back on a thread of its own, into a small ring of buffers,
// so that the kernel's copy of the next part of a large file runs on another core while the
// caller parses the current one. Memory stays at the ring's size, whatever the file's.
//
// The descriptor must stay open until the object is destroyed; reading runs ahead of the
// caller, so only a descriptor nobody else reads from (a file the caller opened) suits it.
// The constructor throws std::system_error if no thread can be started.
class FileReadAhead {
public:
    explicit FileReadAhead(int fd);
    ~FileReadAhead(); // stops the thread, then returns
    FileReadAhead(const FileReadAhead&) = delete;
    FileReadAhead& operator=(const FileReadAhead&) = delete;

    // Copies up to maxLength bytes in file order. Returns the number copied, 0 at the end, or
    // -1 once a read has failed, with error() giving its errno.
    std::ptrdiff_t read(char* into, std::size_t maxLength);
    int error() const { return m_failedWith; }

    static constexpr std::size_t kSlotCount = BufferRing::kSlotCount;
    static constexpr std::size_t kSlotSize = BufferRing::kSlotSize;

private:
    void run();
    // Fills the slot; marks it last at the end of the file or on a failure.
    void fillSlot(BufferRing::Slot& slot);

    const int m_fd;
    BufferRing m_ring;

    // The caller's side, touched only by read().
    BufferRing::Slot* m_current = nullptr;
    std::size_t m_position = 0;
    int m_failedWith = 0;

    std::thread m_thread; // last, so that it starts after everything it uses exists
};

} // namespace brivel::csv
