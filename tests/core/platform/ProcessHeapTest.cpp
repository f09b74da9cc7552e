#include "core/platform/ProcessHeap.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <vector>

using brivel::HeapReservation;
using brivel::reserveHeap;

namespace {

constexpr std::size_t MiB = std::size_t(1) << 20;

// The address sanitizer brings a heap of its own, which neither grows by sbrk nor takes mallopt.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool SanitizerHeap = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool SanitizerHeap = true;
#else
constexpr bool SanitizerHeap = false;
#endif
#else
constexpr bool SanitizerHeap = false;
#endif

struct Advice {
    static inline std::uintptr_t start = 0;
    static inline std::size_t length = 0;
    static inline bool refuse = false;
    static int advise(void* p, std::size_t n, int) {
        start = reinterpret_cast<std::uintptr_t>(p);
        length = n;
        if (refuse) {
            errno = EINVAL;
            return -1;
        }
        return 0;
    }
};

// Runs in a child process: the reservation changes the heap of the whole process.
[[noreturn]] void reserveAndUse(bool refuseAdvice) {
    Advice::refuse = refuseAdvice;
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const HeapReservation r = reserveHeap(64 * MiB, &Advice::advise);
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    int failures = 0;
    auto check = [&](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "failed: %s\n", what);
            ++failures;
        }
    };
    check(r.bytes >= 64 * MiB && r.bytes == after - before, "the heap grew by the reserve");
    check(r.advised == !refuseAdvice, "the advice is reported as the system took it");
    check(Advice::start % (2 * MiB) == 0 && Advice::start >= before &&
              Advice::start + Advice::length == after,
          "the advice covers the new part from a huge-page boundary");
    // Either way the heap serves blocks from the reserve, and keeps it when they are freed.
    std::vector<char*> blocks;
    for (int i = 0; i < 2000; ++i) {
        blocks.push_back(static_cast<char*>(std::malloc(16 * 1024)));
        std::memset(blocks.back(), i & 0xFF, 16 * 1024);
    }
    check(reinterpret_cast<std::uintptr_t>(sbrk(0)) == after, "blocks came from the reserve");
    for (char* b : blocks)
        std::free(b);
    check(reinterpret_cast<std::uintptr_t>(sbrk(0)) == after, "freeing kept the reserve");
    std::exit(failures);
}

} // namespace

TEST(ProcessHeap, ReserveIsAdvisedForHugePagesAndUsableEvenWhenTheAdviceIsRefused) {
    if (SanitizerHeap)
        GTEST_SKIP() << "the sanitizer's heap is not the C library's";
    for (bool refuse : {false, true})
        EXPECT_EXIT(reserveAndUse(refuse), ::testing::ExitedWithCode(0), "") << refuse;
}
