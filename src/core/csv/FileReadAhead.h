#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
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

    static constexpr std::size_t kSlotCount = 4;
    static constexpr std::size_t kSlotSize = 256 * 1024;

private:
    struct Slot {
        std::unique_ptr<char[]> data;
        std::size_t length = 0;
        int error = 0;
        bool last = false; // nothing follows: the end of the file or a failure
    };

    void run();
    void fillSlot(Slot& slot);

    const int m_fd;
    std::array<Slot, kSlotCount> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_filled;
    std::condition_variable m_freed;
    std::size_t m_produced = 0; // slots handed over so far, guarded by m_mutex
    std::size_t m_consumed = 0; // slots given back so far, guarded by m_mutex
    bool m_stopping = false;    // guarded by m_mutex

    // The caller's side, touched only by read().
    Slot* m_current = nullptr;
    std::size_t m_position = 0;
    int m_failedWith = 0;

    std::thread m_thread; // last, so that it starts after everything it uses exists
};

} // namespace brivel::csv
