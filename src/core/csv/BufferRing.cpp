#include "core/csv/BufferRing.h"

namespace brivel::csv {

BufferRing::BufferRing() {
    for (Slot& slot : m_slots)
        slot.data = std::make_unique_for_overwrite<char[]>(kSlotSize);
}

BufferRing::Slot* BufferRing::toFill() {
    std::unique_lock lock(m_mutex);
    m_wasDrained.wait(lock, [this] { return m_stopping || m_filled - m_drained < kSlotCount; });
    return m_stopping ? nullptr : &m_slots[m_filled % kSlotCount];
}

void BufferRing::filled() {
    {
        std::lock_guard lock(m_mutex);
        ++m_filled;
    }
    m_wasFilled.notify_one();
}

BufferRing::Slot* BufferRing::toDrain() {
    std::unique_lock lock(m_mutex);
    m_wasFilled.wait(lock, [this] { return m_stopping || m_filled > m_drained; });
    return m_filled > m_drained ? &m_slots[m_drained % kSlotCount] : nullptr;
}

void BufferRing::drained() {
    {
        std::lock_guard lock(m_mutex);
        ++m_drained;
    }
    m_wasDrained.notify_all(); // the filler, and whoever waits until everything is drained
}

void BufferRing::waitUntilDrained() {
    std::unique_lock lock(m_mutex);
    m_wasDrained.wait(lock, [this] { return m_drained == m_filled; });
}

void BufferRing::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wasFilled.notify_all();
    m_wasDrained.notify_all();
}

} // namespace brivel::csv
