// brivel-gui-start-bench [RUNS]: starts the real `brivel` (offscreen) RUNS times (default 5) on a
// generated large account marked open, each in a fresh process, and reports the time from the
// start of the process to the account window shown, the resident memory with it shown, and how
// long closing the unchanged account took. Targets: median start <= 1.5 s, RSS <= 400 MB.

#include "core/app/AccountRecord.h"
#include "core/app/PreferenceKeys.h"
#include "core/app/Preferences.h"
#include "core/app/SupportFolder.h"
#include "support/AccountGenerator.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Run {
    double startSeconds = -1;
    long rssKb = -1;
    double closeMs = -1;
};

Run runOnce() {
    int out[2];
    if (pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    char* argv[] = {const_cast<char*>(BRIVEL_APP_PATH), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, BRIVEL_APP_PATH, &actions, nullptr, argv, environ) != 0)
        return {};
    close(out[1]);
    Run run;
    std::string line;
    char c = 0;
    while (read(out[0], &c, 1) == 1) {
        if (c != '\n') {
            line += c;
            continue;
        }
        if (line.rfind("shown", 0) == 0) {
            run.startSeconds = std::chrono::duration<double>(Clock::now() - start).count();
            std::sscanf(line.c_str(), "shown rss_kb=%ld", &run.rssKb);
        } else if (line.rfind("closed", 0) == 0) {
            int closed = 0;
            std::sscanf(line.c_str(), "closed=%d close_ms=%lf", &closed, &run.closeMs);
        }
        line.clear();
    }
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    return run;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const fs::path work =
        fs::temp_directory_path() / ("brivel-gui-bench-" + std::to_string(getpid()));
    setenv("XDG_DATA_HOME", (work / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (work / "config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("BRIVEL_STARTUP_PROBE", "1", 1);
    setenv("BRIVEL_NO_RATING_PROMPT", "1", 1);

    const fs::path database = brivel::app::AccountRecord::databasePath("B0W1");
    fs::create_directories(database.parent_path());
    const brivel::bench::GeneratorOptions options;
    std::printf("generating %zu trades, %zu journal days ...\n", options.trades, options.logs);
    brivel::bench::generateAccount(database, options);
    {
        brivel::app::Preferences preferences(brivel::app::SupportFolder::preferencesFile());
        preferences.setObject(
            nlohmann::json::array({{{"name", "Large"}, {"directory", "B0W1"}, {"open", true}}}),
            brivel::app::prefkeys::ArrayOfAccounts);
        preferences.synchronize();
    }

    std::vector<double> starts;
    long maxRss = 0;
    double maxClose = 0;
    for (int i = 0; i < runs; ++i) {
        Run r = runOnce();
        std::printf("run %d: shown after %.3f s, RSS %.1f MB, close %.1f ms\n", i + 1,
                    r.startSeconds, static_cast<double>(r.rssKb) / 1024.0, r.closeMs);
        if (r.startSeconds < 0) {
            std::fprintf(stderr, "the account window was never shown\n");
            fs::remove_all(work);
            return 1;
        }
        starts.push_back(r.startSeconds);
        maxRss = std::max(maxRss, r.rssKb);
        maxClose = std::max(maxClose, r.closeMs);
    }
    std::sort(starts.begin(), starts.end());
    const double median = starts[starts.size() / 2];
    std::printf("median start-to-shown %.3f s (target <= 1.5 s), max RSS %.1f MB (target <= 400 "
                "MB), slowest close %.1f ms\n",
                median, static_cast<double>(maxRss) / 1024.0, maxClose);
    fs::remove_all(work);
    return median <= 1.5 && maxRss <= 400 * 1024 ? 0 : 1;
}
