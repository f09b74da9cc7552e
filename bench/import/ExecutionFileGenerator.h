#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace brivel::bench {

// Writes a broker execution file of the given number of fills: 200 symbols interleaved, one fill
// a second from 2024-01-02 09:30 local time, partial fills in and out, longs and shorts, about
// one fill in twenty taking the position through zero, and positions left open at the end.
// Deterministic for a seed.
void generateExecutionFile(const std::filesystem::path& path, std::size_t executions,
                           std::uint32_t seed = 1);

} // namespace brivel::bench
