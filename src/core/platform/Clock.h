#pragma once

#include "core/platform/Date.h"

namespace brivel {

// The current instant. The record rules ask it for "now"; tests and the CLI's --date fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual Date now() const = 0;
};

class SystemClock final : public Clock {
public:
    Date now() const override;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(Date at) : m_now(at) {}
    Date now() const override { return m_now; }
    void set(Date at) { m_now = at; }
    void advance(double seconds) { m_now = m_now.addingSeconds(seconds); }

private:
    Date m_now;
};

} // namespace brivel
