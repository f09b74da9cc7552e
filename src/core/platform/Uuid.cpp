#include "core/platform/Uuid.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <sys/random.h>

namespace brivel {

std::string makeUuidString() {
    std::array<std::uint8_t, 16> b{};
    std::size_t got = 0;
    while (got < b.size()) {
        ssize_t n = getrandom(b.data() + got, b.size() - got, 0);
        if (n <= 0) {
            // getrandom only fails on very old kernels; fall back on the C++ device.
            std::random_device rd;
            for (auto& byte : b)
                byte = static_cast<std::uint8_t>(rd());
            break;
        }
        got += static_cast<std::size_t>(n);
    }
    b[6] = static_cast<std::uint8_t>((b[6] & 0x0F) | 0x40);
    b[8] = static_cast<std::uint8_t>((b[8] & 0x3F) | 0x80);
    char out[37];
    std::snprintf(out, sizeof out,
                  "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13],
                  b[14], b[15]);
    return out;
}

} // namespace brivel
