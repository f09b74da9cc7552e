#include "import/ExecutionFileGenerator.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace brivel::bench {

void generateExecutionFile(const std::filesystem::path& path, std::size_t executions,
                           std::uint32_t seed) {
    std::mt19937 rng(seed);
    constexpr std::size_t Symbols = 200;
    std::vector<long> position(Symbols, 0);
    std::ofstream out(path, std::ios::binary);
    out << "Date,Time,Symbol,Side,Quantity,Price,Commission,Fees,Description\n";
    std::tm start{};
    start.tm_year = 124;
    start.tm_mon = 0;
    start.tm_mday = 2;
    start.tm_hour = 9;
    start.tm_min = 30;
    start.tm_isdst = -1;
    const std::time_t t0 = std::mktime(&start);
    char line[256];
    for (std::size_t i = 0; i < executions; ++i) {
        const std::size_t s = rng() % Symbols;
        long& p = position[s];
        long shares = 100 * static_cast<long>(1 + rng() % 5);
        long signedShares = 0;
        const unsigned roll = rng() % 100;
        if (p == 0)
            signedShares = roll < 60 ? shares : -shares; // open long or short
        else if (roll < 35 && std::labs(p) < 2000)
            signedShares = p > 0 ? shares : -shares; // add
        else if (roll < 95)
            signedShares = p > 0 ? -std::min(shares, p) : std::min(shares, -p); // reduce or close
        else
            signedShares = p > 0 ? -(p + shares) : (-p + shares); // through zero
        p += signedShares;
        const std::time_t t = t0 + static_cast<std::time_t>(i);
        std::tm local{};
        localtime_r(&t, &local);
        const double price =
            10.0 + static_cast<double>(s) + static_cast<double>(rng() % 400) / 100.0;
        std::snprintf(line, sizeof line,
                      "%04d-%02d-%02d,%02d:%02d:%02d,SYM%03zu,%s,%ld,%.2f,%.2f,%.2f,fill %zu\n",
                      local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                      local.tm_min, local.tm_sec, s, signedShares > 0 ? "BOT" : "SLD",
                      std::labs(signedShares), price, 1.0, 0.05 * static_cast<double>(rng() % 4),
                      i + 1);
        out << line;
    }
}

} // namespace brivel::bench
