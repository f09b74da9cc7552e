// brivel-csv-generate OUT.csv BYTES [SEED]: writes a generated trade export and prints its size.
#include "TradeCsvGenerator.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT.csv BYTES [SEED]\n", argv[0]);
        return 2;
    }
    try {
        const auto seed = argc > 3 ? std::strtoull(argv[3], nullptr, 10) : 20240305ULL;
        const auto file = brivel::csv::bench::generateTradeCsv(
            argv[1], std::strtoull(argv[2], nullptr, 10), seed);
        std::printf("bytes=%llu lines=%llu fields=%llu\n",
                    static_cast<unsigned long long>(file.bytes),
                    static_cast<unsigned long long>(file.lines),
                    static_cast<unsigned long long>(file.fields));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
