#include "core/platform/Scheduler.h"

#include <algorithm>

namespace brivel {

void ManualScheduler::schedule(double delaySeconds, std::function<void()> fn) {
    m_queue.push_back(Entry{m_now + std::max(0.0, delaySeconds), m_seq++, std::move(fn)});
}

namespace {
bool earlier(const auto& a, const auto& b) {
    return a.due != b.due ? a.due < b.due : a.seq < b.seq;
}
} // namespace

std::size_t ManualScheduler::runPending() {
    auto batch = std::move(m_queue);
    m_queue.clear();
    std::stable_sort(batch.begin(), batch.end(),
                     [](const Entry& a, const Entry& b) { return earlier(a, b); });
    for (auto& e : batch) {
        m_now = std::max(m_now, e.due);
        e.fn();
    }
    return batch.size();
}

std::size_t ManualScheduler::runUntilIdle() {
    std::size_t total = 0;
    while (!m_queue.empty())
        total += runPending();
    return total;
}

} // namespace brivel
