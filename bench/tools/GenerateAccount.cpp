// brivel-generate-account PATH [TRADES [LOGS [SEED]]]: writes a generated account database at
// PATH (which must not exist), for the screenshots and the start-up benchmark.

#include "support/AccountGenerator.h"

#include <cstdio>
#include <cstdlib>
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
    const std::filesystem::path path = argv[1];
    if (std::filesystem::exists(path)) {
        std::fprintf(stderr, "%s exists already\n", path.c_str());
        return 1;
    }
    std::filesystem::create_directories(path.parent_path());
    brivel::bench::generateAccount(path, options);
    return 0;
}
