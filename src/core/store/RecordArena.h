#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace brivel::store {

// Memory for records. An account holds hundreds of thousands of them, made in one burst when
// it is opened; on virtual machines every small page touched for the first time costs several
// microseconds. The arena carves records from 2 MiB slabs advised for transparent huge pages:
// one first-touch fault per slab instead of 512.
//
// Blocks are handed out front to back and never reused; a slab goes back to the system when its
// last block is freed. The records of an account live and die together, so slabs empty when
// the account is closed. Where the system declines the advice, slabs are used with small pages.
class RecordArena {
public:
    static constexpr std::size_t SlabSize = std::size_t(2) << 20;
    // Larger blocks than this come from the general heap.
    static constexpr std::size_t LargestBlock = 4096;

    // Where slabs come from; tests replace it.
    struct System {
        // SlabSize bytes aligned to SlabSize, or nullptr.
        void* (*map)();
        void (*unmap)(void* slab);
        // False when the system does not take the advice.
        bool (*adviseHugePages)(void* slab);
    };
    static const System& operatingSystem();

    explicit RecordArena(const System& system = operatingSystem());
    // Slabs with blocks still in use stay until those are freed.
    ~RecordArena();
    RecordArena(const RecordArena&) = delete;
    RecordArena& operator=(const RecordArena&) = delete;

    // The arena records are made in.
    static RecordArena& shared();

    // Throws std::bad_alloc when no memory is left. Blocks are aligned as malloc's are.
    void* allocate(std::size_t size);
    // size as given to allocate(); frees through whichever arena the block came from.
    static void deallocate(void* block, std::size_t size) noexcept;

    std::size_t slabsMapped() const { return m_slabsMapped.load(std::memory_order_relaxed); }
    std::size_t slabsAdvised() const { return m_slabsAdvised.load(std::memory_order_relaxed); }

private:
    struct Slab;
    // Threads carve from lanes of their own, so that the two threads that load an account
    // rarely wait for each other; a lane fills a cache line of its own, or every block carved
    // in one lane would take the line from the core carving in the next.
    struct alignas(64) Lane {
        std::atomic_flag busy = ATOMIC_FLAG_INIT;
        Slab* slab = nullptr;
        char* next = nullptr;
        char* end = nullptr;
        // Blocks carved from slab, counted here and told to the slab when the lane lets go of
        // it: no shared counter is touched for each block.
        std::size_t carved = 0;
    };
    static constexpr std::size_t Lanes = 4;

    void* carve(Lane& lane, std::size_t size);
    Slab* newSlab();
    static void retire(Lane& lane) noexcept;
    // Takes users from the slab's count; the last one unmaps it.
    static void release(Slab* slab, std::size_t users) noexcept;

    System m_system;
    Lane m_lanes[Lanes];
    std::atomic<std::size_t> m_slabsMapped{0};
    std::atomic<std::size_t> m_slabsAdvised{0};
};

} // namespace brivel::store
