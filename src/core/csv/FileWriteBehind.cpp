#include "core/csv/FileWriteBehind.h"

#include "core/platform/AtomicFile.h"

#include <cerrno>

namespace brivel::csv {

FileWriteBehind::FileWriteBehind(int fd) : m_fd(fd) {
    for (Slot& slot : m_slots)
        slot.data = std::make_unique_for_overwrite<char[]>(kSlotSize);
    m_current = m_slots[0].data.get();
    m_thread = std::thread([this] { run(); });
}

FileWriteBehind::~FileWriteBehind() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_submitted.notify_one();
    m_thread.join();
}

void FileWriteBehind::run() {
    int failedWith = 0;
    for (;;) {
        const Slot* slot;
        {
            std::unique_lock lock(m_mutex);
            m_submitted.wait(lock,
                             [this] { return m_stopping || m_submittedCount > m_writtenCount; });
            if (m_submittedCount == m_writtenCount)
                return; // stopping, and everything handed over is written
            slot = &m_slots[m_writtenCount % kSlotCount];
        }
        if (!failedWith && !writeAll(m_fd, std::string_view(slot->data.get(), slot->length)))
            failedWith = errno;
        {
            std::lock_guard lock(m_mutex);
            if (failedWith && !m_failedWith)
                m_failedWith = failedWith;
            ++m_writtenCount;
        }
        m_written.notify_one();
    }
}

void FileWriteBehind::submit(std::size_t length) {
    std::unique_lock lock(m_mutex);
    m_slots[m_submittedCount % kSlotCount].length = length;
    ++m_submittedCount;
    m_submitted.notify_one();
    // The next slot is free once what was last written from it is out.
    m_written.wait(lock, [this] { return m_submittedCount - m_writtenCount < kSlotCount; });
    m_current = m_slots[m_submittedCount % kSlotCount].data.get();
}

int FileWriteBehind::finish() {
    std::unique_lock lock(m_mutex);
    m_written.wait(lock, [this] { return m_writtenCount == m_submittedCount; });
    return m_failedWith;
}

} // namespace brivel::csv
