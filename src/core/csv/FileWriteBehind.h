#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
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
    char* buffer() const { return m_current; }
    // Hands over the first length bytes of buffer() to be written after those handed over
    // before; buffer() is then another one. Waits while every buffer is still to be written.
    void submit(std::size_t length);
    // Waits until everything handed over is written. 0, or the errno of the first write that
    // failed; nothing handed over after a failure is written.
    int finish();

    static constexpr std::size_t kSlotCount = 4;
    static constexpr std::size_t kSlotSize = 256 * 1024;

private:
    struct Slot {
        std::unique_ptr<char[]> data;
        std::size_t length = 0;
    };

    void run();

    const int m_fd;
    std::array<Slot, kSlotCount> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_submitted;
    std::condition_variable m_written;
    std::size_t m_submittedCount = 0; // guarded by m_mutex
    std::size_t m_writtenCount = 0;   // guarded by m_mutex
    int m_failedWith = 0;             // guarded by m_mutex
    bool m_stopping = false;          // guarded by m_mutex

    char* m_current = nullptr; // the caller's side

    std::thread m_thread; // last, so that it starts after everything it uses exists
};

} // namespace brivel::csv
