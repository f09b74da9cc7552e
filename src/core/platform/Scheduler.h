#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace brivel {

// Runs a function after a delay on the main loop. Calls are never merged or cancelled: every
// schedule() runs its function once, in the order of their due times, ties in scheduling order.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    virtual void schedule(double delaySeconds, std::function<void()> fn) = 0;
};

// A queue that runs only when asked: deterministic for tests and the command line.
class ManualScheduler final : public Scheduler {
public:
    void schedule(double delaySeconds, std::function<void()> fn) override;

    // Runs everything due, including what the running functions schedule, until nothing is left.
    // Returns the number of functions run.
    std::size_t runUntilIdle();
    // Runs only what was due when called (not what those functions schedule).
    std::size_t runPending();
    std::size_t pendingCount() const { return m_queue.size(); }

private:
    struct Entry {
        double due;
        std::size_t seq;
        std::function<void()> fn;
    };
    std::vector<Entry> m_queue;
    double m_now = 0.0;
    std::size_t m_seq = 0;
};

} // namespace brivel
