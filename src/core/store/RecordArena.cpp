#include "core/store/RecordArena.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>
#include <thread>

namespace brivel::store {

struct RecordArena::Slab {
    // While a lane carves from the slab, it holds all of LaneHold less the blocks carved so
    // far; each block in use holds one. More than a slab can have blocks, so the count cannot
    // reach zero before the lane lets go.
    static constexpr std::size_t LaneHold = SlabSize;
    std::atomic<std::size_t> users{LaneHold};
    void (*unmap)(void* slab);
};

namespace {

constexpr std::size_t Alignment = alignof(std::max_align_t);

constexpr std::size_t rounded(std::size_t size) {
    return (size + Alignment - 1) & ~(Alignment - 1);
}

void* mapSlab() {
    // Map twice the size and keep the aligned middle: a slab is found from any of its blocks by
    // masking the address, and an aligned slab is what a huge page can back.
    constexpr std::size_t size = RecordArena::SlabSize;
    void* p = ::mmap(nullptr, 2 * size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const auto aligned = (start + size - 1) & ~(size - 1);
    if (aligned > start)
        ::munmap(p, aligned - start);
    const auto tail = start + 2 * size - (aligned + size);
    if (tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + size), tail);
    return reinterpret_cast<void*>(aligned);
}

void unmapSlab(void* slab) {
    ::munmap(slab, RecordArena::SlabSize);
}

bool adviseHugePages(void* slab) {
    return ::madvise(slab, RecordArena::SlabSize, MADV_HUGEPAGE) == 0;
}

std::size_t laneOfThisThread(std::size_t lanes) {
    static std::atomic<std::size_t> nextLane{0};
    thread_local const std::size_t lane = nextLane.fetch_add(1, std::memory_order_relaxed);
    return lane % lanes;
}

} // namespace

const RecordArena::System& RecordArena::operatingSystem() {
    static const System system{&mapSlab, &unmapSlab, &adviseHugePages};
    return system;
}

RecordArena::RecordArena(const System& system) : m_system(system) {}

RecordArena::~RecordArena() {
    for (auto& lane : m_lanes)
        if (lane.slab)
            retire(lane);
}

RecordArena& RecordArena::shared() {
    // Never destroyed: records may still be freed while the program exits.
    static RecordArena* arena = new RecordArena();
    return *arena;
}

void* RecordArena::allocate(std::size_t size) {
    if (size > LargestBlock)
        return ::operator new(size);
    Lane& lane = m_lanes[laneOfThisThread(Lanes)];
    while (lane.busy.test_and_set(std::memory_order_acquire))
        std::this_thread::yield();
    void* block = nullptr;
    try {
        block = carve(lane, rounded(size == 0 ? 1 : size));
    } catch (...) {
        lane.busy.clear(std::memory_order_release);
        throw;
    }
    lane.busy.clear(std::memory_order_release);
    return block;
}

void* RecordArena::carve(Lane& lane, std::size_t size) {
    if (!lane.slab || static_cast<std::size_t>(lane.end - lane.next) < size) {
        Slab* fresh = newSlab();
        if (lane.slab)
            retire(lane);
        lane.slab = fresh;
        lane.carved = 0;
        lane.next = reinterpret_cast<char*>(fresh) + rounded(sizeof(Slab));
        lane.end = reinterpret_cast<char*>(fresh) + SlabSize;
    }
    void* block = lane.next;
    lane.next += size;
    ++lane.carved;
    return block;
}

RecordArena::Slab* RecordArena::newSlab() {
    void* memory = m_system.map();
    if (!memory)
        throw std::bad_alloc();
    m_slabsMapped.fetch_add(1, std::memory_order_relaxed);
    // Advice first: the header below is the slab's first touch.
    if (m_system.adviseHugePages(memory))
        m_slabsAdvised.fetch_add(1, std::memory_order_relaxed);
    auto* slab = new (memory) Slab();
    slab->unmap = m_system.unmap;
    return slab;
}

void RecordArena::deallocate(void* block, std::size_t size) noexcept {
    if (!block)
        return;
    if (size > LargestBlock) {
        ::operator delete(block);
        return;
    }
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    release(reinterpret_cast<Slab*>(address & ~(SlabSize - 1)), 1);
}

void RecordArena::retire(Lane& lane) noexcept {
    release(lane.slab, Slab::LaneHold - lane.carved);
    lane.slab = nullptr;
}

void RecordArena::release(Slab* slab, std::size_t users) noexcept {
    if (slab->users.fetch_sub(users, std::memory_order_acq_rel) != users)
        return;
    auto unmap = slab->unmap;
    slab->~Slab();
    unmap(slab);
}

} // namespace brivel::store
