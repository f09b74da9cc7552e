// brivel-cli stats --json end to end on the large generated account (100,000 trades, 400,000
// orders), run as a user runs it: brivel-stats-cli-bench [PATH-TO-brivel-cli] [RUNS]
#include "support/AccountGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#ifndef BRIVEL_CLI_PATH
#define BRIVEL_CLI_PATH "brivel-cli"
#endif

int main(int argc, char** argv) {
    const std::string cli = argc > 1 ? argv[1] : BRIVEL_CLI_PATH;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const auto root = std::filesystem::temp_directory_path() /
                      ("brivel-stats-cli-bench-" + std::to_string(getpid()));
    setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("TZ", "America/New_York", 0);
    setenv("LC_ALL", "en_US.UTF-8", 0);
    // The start-up preparation makes the default account "B0W1"; replace its database.
    if (std::system((cli + " accounts list > /dev/null").c_str()) != 0)
        return 1;
    const auto database = root / "data" / "Brivel Trade Journal" / "B0W1" / "database.brdb";
    std::filesystem::remove(database);
    brivel::bench::generateAccount(database, brivel::bench::GeneratorOptions{});

    const std::string command = cli + " stats -a B0W1 --by month --json > /dev/null";
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (std::system(command.c_str()) != 0)
            return 1;
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("brivel-cli stats -a B0W1 --by month --json (100,000 trades): median %.3f s, "
                "best %.3f s, worst %.3f s over %d runs\n",
                seconds[seconds.size() / 2], seconds.front(), seconds.back(), runs);
    std::filesystem::remove_all(root);
    return 0;
}
