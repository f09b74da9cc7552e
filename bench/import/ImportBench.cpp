// Importing a generated broker file of 100,000 executions into an empty account: reading and
// checking the file, creating the records through the list controllers, letting the deferred
// work run and saving, each timed on its own; and the resident memory afterwards.
//
//   brivel-import-bench [EXECUTIONS]     (default 100000)
#include "core/app/Preferences.h"
#include "core/import/TradeImporter.h"
#include "core/model/AccountStore.h"
#include "core/platform/Clock.h"
#include "core/platform/Prompter.h"
#include "core/store/UndoManager.h"
#include "import/ExecutionFileGenerator.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

using namespace brivel;

namespace {

long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = std::string(key) + ":";
    while (std::getline(status, line))
        if (line.rfind(prefix, 0) == 0)
            return std::stol(line.substr(prefix.size()));
    return -1;
}

double secondsSince(std::chrono::steady_clock::time_point t) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// Processor time of this process: on a machine shared with other builds it says what the wall
// clock cannot.
double cpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t n = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    const auto dir = std::filesystem::temp_directory_path() /
                     ("brivel-import-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir / "BNCH");
    const auto file = dir / "executions.csv";
    bench::generateExecutionFile(file, n);
    Error error;
    if (!model::createEmptyAccountStore(dir / "BNCH" / "database.brdb", &error)) {
        std::fprintf(stderr, "%s\n", error.message().c_str());
        return 1;
    }
    auto context = model::openAccountStore(dir / "BNCH" / "database.brdb", &error);
    app::Preferences prefs(dir / "preferences.json");
    SystemClock clock;
    ScriptedPrompter prompter;
    const long before = statusKiB("VmRSS");

    auto t = std::chrono::steady_clock::now();
    const auto start = t;
    const double cpuStart = cpuSeconds();
    import::TradeImporter importer(*context, prefs, clock, prompter, "BNCH");
    import::ImportPlan plan = importer.read(file, {});
    const double read = secondsSince(t);
    if (plan.failure || plan.badLineCount) {
        std::fprintf(stderr, "unexpected: %s\n", plan.failure.value_or("bad lines").c_str());
        return 1;
    }
    t = std::chrono::steady_clock::now();
    // As brivel-cli does: a command keeps no undo steps.
    std::optional<store::UndoRegistrationPause> noUndo(std::in_place, context->undoManager());
    import::ImportSummary summary = importer.apply(plan, true);
    noUndo.reset();
    const double apply = secondsSince(t);
    t = std::chrono::steady_clock::now();
    context->manualScheduler().runUntilIdle();
    const double settle = secondsSince(t);
    t = std::chrono::steady_clock::now();
    if (!context->save(&error)) {
        std::fprintf(stderr, "%s\n", error.message().c_str());
        return 1;
    }
    const double save = secondsSince(t);
    const double total = secondsSince(start);
    const double cpu = cpuSeconds() - cpuStart;

    std::printf("executions %zu  file %.1f MB\n", n,
                static_cast<double>(std::filesystem::file_size(file)) / 1e6);
    std::printf("trades %zu  orders %zu  closed %zu\n", summary.tradesCreated,
                summary.ordersCreated, summary.tradesClosed);
    std::printf("read %.3f s  apply %.3f s  settle %.3f s  save %.3f s  total %.3f s\n", read,
                apply, settle, save, total);
    std::printf("processor time of the import (read to save) %.3f s\n", cpu);
    std::printf("resident before %ld KiB  after %ld KiB  peak %ld KiB\n", before,
                statusKiB("VmRSS"), statusKiB("VmHWM"));
    std::filesystem::remove_all(dir);
    return 0;
}
