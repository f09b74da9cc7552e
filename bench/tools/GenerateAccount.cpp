// brivel-generate-account PATH [TRADES [LOGS [SEED]]]: writes a generated account database at
// PATH (which must not exist), for the screenshots and the start-up benchmark.

#include "support/AccountGenerator.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 5) {
        std::fprintf(stderr, "usage: %s PATH [TRADES [LOGS [SEED]]]\n", argv[0]);
        return 2;
    }
    brivel::bench::GeneratorOptions options;
    if (argc > 2)
        options.trades = std::strtoul(argv[2], nullptr, 10);
    if (argc > 3)
        options.logs = std::strtoul(argv[3], nullptr, 10);
    if (argc > 4)
        options.seed = static_cast<std::uint32_t>(std::strtoul(argv[4], nullptr, 10));
    // The journal ends yesterday (UTC), as a trader's would: nothing lies in the future.
    const double day = 86400.0;
    const double today = std::floor(static_cast<double>(std::time(nullptr)) / day) * day;
    options.firstDay = today - static_cast<double>(options.logs) * day;
    const std::filesystem::path path = argv[1];
    if (std::filesystem::exists(path)) {
        std::fprintf(stderr, "%s exists already\n", path.c_str());
        return 1;
    }
    std::filesystem::create_directories(path.parent_path());
    brivel::bench::generateAccount(path, options);
    return 0;
}
