#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace brivel::csv::bench {

struct GeneratedFile {
    std::uint64_t bytes = 0;
    std::uint64_t lines = 0;
    std::uint64_t fields = 0;
};

// Writes a trade export like the application's (header, then one line per order: number, date,
// ticker, description, side, quantity, price and commission as currency, reason, strategy)
// until the file holds at least targetBytes. Prices above $1,000 and descriptions with commas
// need quotes; reasons carry commas, doubled quotes, line breaks and, in about one in twenty,
// accented, Greek, CJK or Hangul text or an emoji. The same seed gives the same file.
GeneratedFile generateTradeCsv(const std::filesystem::path& path, std::uint64_t targetBytes,
                               std::uint64_t seed = 20240305);

// The file under the folder (made when missing) named after its size, generated once.
std::filesystem::path tradeCsvFile(const std::filesystem::path& folder, std::uint64_t bytes);

} // namespace brivel::csv::bench
