#pragma once

#include "core/csv/BufferRing.h"

#include <cstddef>
#include <thread>

namespace brivel::csv {

// Writes to a file descriptor front to back on a thread of its own, from a small ring of
// buffers, so that the kernel's copy of one part of a large file runs on another core while the
// caller formats the next. Memory stays at the ring's size, whatever the file's.
//
// The caller fills buffer() and hands it over with submit(); the descriptor must stay open
// until finish() has returned or the object is destroyed. The constructor throws
// std::system_error if no thread can be started.
class FileWriteBehind {
public:
    explicit FileWriteBehind(int fd);
    ~FileWriteBehind(); // writes what was handed over, then returns
    FileWriteBehind(const FileWriteBehind&) = delete;
    FileWriteBehind& operator=(const FileWriteBehind&) = delete;

    // The buffer to fill next, kSlotSize bytes.
    char* buffer() const { return m_current->data.get(); }
    // Hands over the first length bytes of buffer() to be written after those handed over
    // before; buffer() is then another one. Waits while every buffer is still to be written.
    void submit(std::size_t length);
    // Waits until everything handed over is written. 0, or the errno of the first write that
    // failed; nothing handed over after a failure is written.
    int finish();

    static constexpr std::size_t kSlotSize = BufferRing::kSlotSize;

private:
    void run();

    const int m_fd;
    BufferRing m_ring;
    // Set by the thread before it gives the failed slot back, read once it has drained.
    int m_failedWith = 0;

    BufferRing::Slot* m_current; // the caller's side

    std::thread m_thread; // last, so that it starts after everything it uses exists
};

} // namespace brivel::csv
