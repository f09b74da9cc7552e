#pragma once

#include <compare>
#include <cstdint>

namespace brivel {

// A point in time: seconds since 1970-01-01 00:00:00 UTC, as the store file keeps it.
struct Date {
    double secondsSince1970 = 0.0;

    constexpr Date() = default;
    constexpr explicit Date(double seconds) : secondsSince1970(seconds) {}

    constexpr Date addingSeconds(double s) const { return Date(secondsSince1970 + s); }
    constexpr double timeIntervalSince(Date other) const {
        return secondsSince1970 - other.secondsSince1970;
    }
    constexpr auto operator<=>(const Date&) const = default;
};

} // namespace brivel
