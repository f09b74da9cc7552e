#include "core/csv/FileReadAhead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace brivel::csv {

FileReadAhead::FileReadAhead(int fd) : m_fd(fd) {
    for (Slot& slot : m_slots)
        slot.data = std::make_unique_for_overwrite<char[]>(kSlotSize);
    m_thread = std::thread([this] { run(); });
}

FileReadAhead::~FileReadAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_freed.notify_one();
    m_thread.join();
}

void FileReadAhead::run() {
    for (;;) {
        Slot* slot;
        {
            std::unique_lock lock(m_mutex);
            m_freed.wait(lock,
                         [this] { return m_stopping || m_produced - m_consumed < kSlotCount; });
            if (m_stopping)
                return;
            slot = &m_slots[m_produced % kSlotCount];
        }
        fillSlot(*slot);
        {
            std::lock_guard lock(m_mutex);
            ++m_produced;
        }
        m_filled.notify_one();
        if (slot->last)
            return;
    }
}

void FileReadAhead::fillSlot(Slot& slot) {
    slot.length = 0;
    while (slot.length < kSlotSize) {
        const ssize_t n = ::read(m_fd, slot.data.get() + slot.length, kSlotSize - slot.length);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            slot.error = n < 0 ? errno : 0;
            slot.last = true;
            return;
        }
        slot.length += static_cast<std::size_t>(n);
    }
}

std::ptrdiff_t FileReadAhead::read(char* into, std::size_t maxLength) {
    for (;;) {
        if (!m_current) {
            std::unique_lock lock(m_mutex);
            m_filled.wait(lock, [this] { return m_produced > m_consumed; });
            m_current = &m_slots[m_consumed % kSlotCount];
            m_position = 0;
        }
        if (m_position < m_current->length) {
            const std::size_t n = std::min(maxLength, m_current->length - m_position);
            std::memcpy(into, m_current->data.get() + m_position, n);
            m_position += n;
            return static_cast<std::ptrdiff_t>(n);
        }
        if (m_current->last) {
            // Stays on this slot: every later call answers the same.
            m_failedWith = m_current->error;
            return m_failedWith ? -1 : 0;
        }
        {
            std::lock_guard lock(m_mutex);
            ++m_consumed;
        }
        m_freed.notify_one();
        m_current = nullptr;
    }
}

} // namespace brivel::csv
