#include "core/platform/Clock.h"

#include <chrono>

namespace brivel {

Date SystemClock::now() const {
    using namespace std::chrono;
    const auto micros = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return Date(static_cast<double>(micros) / 1e6);
}

} // namespace brivel
