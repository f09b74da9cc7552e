#include "core/store/RecordArena.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <set>
#include <thread>
#include <vector>

using brivel::store::RecordArena;

namespace {

// Slabs from the C heap, counted; advice and mapping fail on request.
struct FakeSystem {
    static inline int mapped = 0;
    static inline int unmapped = 0;
    static inline bool refuseAdvice = false;
    static inline bool refuseMemory = false;

    static void* map() {
        if (refuseMemory)
            return nullptr;
        ++mapped;
        return std::aligned_alloc(RecordArena::SlabSize, RecordArena::SlabSize);
    }
    static void unmap(void* slab) {
        ++unmapped;
        std::free(slab);
    }
    static bool advise(void*) { return !refuseAdvice; }

    static RecordArena::System system() { return {&map, &unmap, &advise}; }
    static void reset(bool adviceFails = false) {
        mapped = unmapped = 0;
        refuseAdvice = adviceFails;
        refuseMemory = false;
    }
};

bool aligned(void* p) {
    return reinterpret_cast<std::uintptr_t>(p) % alignof(std::max_align_t) == 0;
}

} // namespace

// With and without the huge-page advice taken, the arena hands out the same usable memory.
class RecordArenaAdvice : public ::testing::TestWithParam<bool> {};

TEST_P(RecordArenaAdvice, BlocksAreDistinctAlignedWritableAndSlabsGoBackWhenEmpty) {
    const bool adviceFails = GetParam();
    FakeSystem::reset(adviceFails);
    std::vector<std::pair<void*, std::size_t>> blocks;
    {
        RecordArena arena(FakeSystem::system());
        // More than one slab's worth, in the sizes records come in.
        const std::size_t sizes[] = {8, 72, 200, 328, 4096};
        std::size_t total = 0;
        for (std::size_t i = 0; total < 3 * RecordArena::SlabSize; ++i) {
            const std::size_t size = sizes[i % std::size(sizes)];
            void* p = arena.allocate(size);
            ASSERT_TRUE(aligned(p));
            std::memset(p, static_cast<int>(i & 0xFF), size);
            blocks.emplace_back(p, size);
            total += size;
        }
        EXPECT_GE(arena.slabsMapped(), 3u);
        EXPECT_EQ(arena.slabsAdvised(), adviceFails ? 0u : arena.slabsMapped());
        // Every block still holds what was written into it: none overlaps another.
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const auto* bytes = static_cast<const unsigned char*>(blocks[i].first);
            for (std::size_t b = 0; b < blocks[i].second; ++b)
                ASSERT_EQ(bytes[b], i & 0xFF) << "block " << i;
        }
    }
    // The arena is gone but its blocks are not: their slabs stay until the last one is freed.
    EXPECT_EQ(FakeSystem::unmapped, 0);
    for (std::size_t i = 0; i + 1 < blocks.size(); ++i)
        RecordArena::deallocate(blocks[i].first, blocks[i].second);
    EXPECT_LT(FakeSystem::unmapped, FakeSystem::mapped);
    RecordArena::deallocate(blocks.back().first, blocks.back().second);
    EXPECT_EQ(FakeSystem::unmapped, FakeSystem::mapped);
}

INSTANTIATE_TEST_SUITE_P(AdviceTakenOrRefused, RecordArenaAdvice, ::testing::Bool());

TEST(RecordArena, SlabInUseByTheArenaStaysWhenItsBlocksAreFreed) {
    FakeSystem::reset();
    RecordArena arena(FakeSystem::system());
    void* a = arena.allocate(100);
    RecordArena::deallocate(a, 100);
    EXPECT_EQ(FakeSystem::unmapped, 0); // still carved from
    void* b = arena.allocate(100);
    EXPECT_NE(a, b); // blocks are not reused
    RecordArena::deallocate(b, 100);
    EXPECT_EQ(FakeSystem::mapped, 1);
    // Once the arena has moved on to another slab, the first goes back with its last block.
    std::vector<void*> more;
    while (arena.slabsMapped() < 2)
        more.push_back(arena.allocate(4096));
    EXPECT_EQ(FakeSystem::unmapped, 0);
    for (void* p : more)
        RecordArena::deallocate(p, 4096);
    EXPECT_EQ(FakeSystem::unmapped, 1);
}

TEST(RecordArena, LargeBlocksComeFromTheHeapAndNoMemoryIsBadAlloc) {
    FakeSystem::reset();
    RecordArena arena(FakeSystem::system());
    void* large = arena.allocate(RecordArena::LargestBlock + 1);
    EXPECT_EQ(FakeSystem::mapped, 0);
    RecordArena::deallocate(large, RecordArena::LargestBlock + 1);
    FakeSystem::refuseMemory = true;
    EXPECT_THROW(arena.allocate(64), std::bad_alloc);
}

TEST(RecordArena, ThreadsAllocateAndFreeTogether) {
    FakeSystem::reset();
    {
        RecordArena arena(FakeSystem::system());
        auto work = [&] {
            std::vector<void*> mine;
            for (int i = 0; i < 20000; ++i) {
                mine.push_back(arena.allocate(120));
                std::memset(mine.back(), i & 0xFF, 120);
            }
            for (void* p : mine)
                RecordArena::deallocate(p, 120);
        };
        std::thread a(work), b(work);
        a.join();
        b.join();
    }
    EXPECT_EQ(FakeSystem::unmapped, FakeSystem::mapped);
}

TEST(RecordArena, OperatingSystemSlabsAreAlignedAndReturned) {
    RecordArena arena;
    std::set<std::uintptr_t> slabs;
    std::vector<void*> blocks;
    for (int i = 0; i < 40000; ++i) {
        blocks.push_back(arena.allocate(96));
        slabs.insert(reinterpret_cast<std::uintptr_t>(blocks.back()) &
                     ~(RecordArena::SlabSize - 1));
        std::memset(blocks.back(), 0x5A, 96);
    }
    EXPECT_EQ(slabs.size(), arena.slabsMapped());
    for (void* p : blocks)
        RecordArena::deallocate(p, 96);
}
