#include "core/csv/FileReadAhead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace brivel::csv {

FileReadAhead::FileReadAhead(int fd) : m_fd(fd), m_thread([this] { run(); }) {}

FileReadAhead::~FileReadAhead() {
    m_ring.stop();
    m_thread.join();
}

void FileReadAhead::run() {
    while (BufferRing::Slot* slot = m_ring.toFill()) {
        fillSlot(*slot);
        const bool last = slot->last;
        m_ring.filled();
        if (last)
            return;
    }
}

void FileReadAhead::fillSlot(BufferRing::Slot& slot) {
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
            m_current = m_ring.toDrain();
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
        m_ring.drained();
        m_current = nullptr;
    }
}

} // namespace brivel::csv
