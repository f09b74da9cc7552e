#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>

namespace brivel::csv {

// Fixed buffers handed in order between the thread that fills them and the thread that drains
// them: a file's read-ahead and write-behind. Filling waits while every buffer is full,
// draining while none is; memory stays at the ring's size.
class BufferRing {
public:
    static constexpr std::size_t kSlotCount = 4;
    static constexpr std::size_t kSlotSize = 256 * 1024;

    struct Slot {
        std::unique_ptr<char[]> data; // kSlotSize bytes
        std::size_t length = 0;
        int error = 0;     // an errno the filler passes on
        bool last = false; // nothing follows
    };

    BufferRing();

    // The filler's side: the next slot to fill, once it is free; nullptr once stopped.
    Slot* toFill();
    // Hands the slot toFill() gave over to the drainer.
    void filled();
    // The drainer's side: the next filled slot, once there is one; nullptr once stopped with
    // nothing filled left.
    Slot* toDrain();
    // Gives the slot toDrain() gave back to the filler.
    void drained();
    // Waits until every filled slot has been drained.
    void waitUntilDrained();
    // Wakes both sides for good.
    void stop();

private:
    std::array<Slot, kSlotCount> m_slots;
    std::mutex m_mutex;
    std::condition_variable m_wasFilled;
    std::condition_variable m_wasDrained;
    std::size_t m_filled = 0;  // slots handed over so far, guarded by m_mutex
    std::size_t m_drained = 0; // slots given back so far, guarded by m_mutex
    bool m_stopping = false;   // guarded by m_mutex
};

} // namespace brivel::csv
