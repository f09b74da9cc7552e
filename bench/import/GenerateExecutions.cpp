// brivel-import-generate OUT.csv [EXECUTIONS] [SEED]: a broker execution file for timing
// "brivel-cli import trades".
#include "import/ExecutionFileGenerator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: brivel-import-generate OUT.csv [EXECUTIONS] [SEED]\n");
        return 2;
    }
    const std::size_t n = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 100000;
    const auto seed = static_cast<std::uint32_t>(argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 1);
    brivel::bench::generateExecutionFile(argv[1], n, seed);
    return 0;
}
