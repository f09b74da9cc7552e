#pragma once

#include <cstddef>

namespace brivel {

// Settings of the process's heap for a program that opens accounts; call once, first thing in
// main. They concern the whole process, so a library never makes them on its own.
//
// An account holds hundreds of megabytes of small blocks made in one burst when it is opened.
// On virtual machines every small page touched for the first time costs several microseconds,
// so the heap is grown once, ahead, by a large step advised for transparent huge pages (one
// first-touch fault per 2 MiB instead of 512). Untouched reserve is not resident. Where the
// system declines (no huge pages, no memory to reserve), the heap works as before.
void tuneHeapForLargeAccounts();

// What reserveHeap did.
struct HeapReservation {
    std::size_t bytes = 0; // how far the heap grew
    bool advised = false;  // the system took the huge-page advice for it
};

// The step of tuneHeapForLargeAccounts() that grows the heap by about bytes and advises the
// new part with advise (madvise's signature; replaced in tests). The heap then keeps the
// reserve: it is not given back when blocks are freed.
HeapReservation reserveHeap(std::size_t bytes, int (*advise)(void*, std::size_t, int));

} // namespace brivel
