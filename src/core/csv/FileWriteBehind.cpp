#include "core/csv/FileWriteBehind.h"

#include "core/platform/AtomicFile.h"

#include <cerrno>
#include <string_view>

namespace brivel::csv {

FileWriteBehind::FileWriteBehind(int fd)
    : m_fd(fd), m_current(m_ring.toFill()), m_thread([this] { run(); }) {}

FileWriteBehind::~FileWriteBehind() {
    m_ring.stop();
    m_thread.join();
}

void FileWriteBehind::run() {
    // Drains what was handed over even after stop(): the destructor writes everything out.
    while (BufferRing::Slot* slot = m_ring.toDrain()) {
        if (!m_failedWith && !writeAll(m_fd, std::string_view(slot->data.get(), slot->length)))
            m_failedWith = errno;
        m_ring.drained();
    }
}

void FileWriteBehind::submit(std::size_t length) {
    m_current->length = length;
    m_ring.filled();
    m_current = m_ring.toFill();
}

int FileWriteBehind::finish() {
    m_ring.waitUntilDrained();
    return m_failedWith;
}

} // namespace brivel::csv
