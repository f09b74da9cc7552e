#include "core/platform/ProcessHeap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

namespace brivel {

namespace {
constexpr std::size_t MiB = std::size_t(1) << 20;
constexpr std::size_t HugePage = 2 * MiB;
} // namespace

HeapReservation reserveHeap(std::size_t bytes, int (*advise)(void*, std::size_t, int)) {
    HeapReservation done;
    // mallopt takes ints.
    bytes = std::min<std::size_t>(bytes, std::numeric_limits<int>::max() / 2);
    // The heap grows by a request and the top pad together: a pad of the reserve's size makes
    // the heap grow by the whole reserve in one step, touching only the page of the new top.
    // Blocks freed afterwards must not shrink it again. Lists of an account's records (a few MiB
    // each) come from the heap too, rather than from mappings of their own, which would be
    // fresh small pages again.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(32 * MiB));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * bytes));
    mallopt(M_TOP_PAD, static_cast<int>(bytes));
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Larger than what is left at the top of a young heap, small enough not to be mapped apart.
    void* probe = std::malloc(4 * MiB);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    mallopt(M_TOP_PAD, static_cast<int>(64 * MiB));
    if (probe && after > before) {
        done.bytes = after - before;
        const auto start = (before + HugePage - 1) & ~(HugePage - 1);
        if (after > start)
            done.advised =
                advise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE) == 0;
    }
    std::free(probe);
    return done;
}

void tuneHeapForLargeAccounts() {
    reserveHeap(512 * MiB, &::madvise);
}

} // namespace brivel
