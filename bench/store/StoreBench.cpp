// Opening, saving and memory of a large generated account.
#include "core/model/AccountStore.h"
#include "core/model/Entities.h"
#include "core/model/Order.h"
#include "core/platform/ProcessHeap.h"
#include "support/AccountGenerator.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace brivel;

namespace {

std::filesystem::path benchFolder() {
    static std::filesystem::path dir = [] {
        auto d =
            std::filesystem::temp_directory_path() / ("brivel-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

// The generated account, made once per run.
const std::filesystem::path& largeAccount() {
    static std::filesystem::path path = [] {
        auto p = benchFolder() / "large.brdb";
        bench::generateAccount(p, {});
        return p;
    }();
    return path;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

void BM_OpenLoadEverything(benchmark::State& state) {
    const auto& path = largeAccount();
    for (auto _ : state) {
        Error e;
        auto ctx = model::openAccountStore(path, &e);
        if (!ctx)
            state.SkipWithError(e.message().c_str());
        benchmark::DoNotOptimize(ctx.get());
        state.PauseTiming();
        ctx.reset();
        state.ResumeTiming();
    }
    state.counters["records"] = 780000;
}
BENCHMARK(BM_OpenLoadEverything)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_SaveOneChangedOrder(benchmark::State& state) {
    Error e;
    auto ctx = model::openAccountStore(largeAccount(), &e);
    auto orders = ctx->registeredObjects("Order");
    std::size_t i = 0;
    for (auto _ : state) {
        auto* o = static_cast<model::Order*>(orders[(i++ * 7919) % orders.size()]);
        o->setPriceValue(o->priceValue() + 0.01);
        if (!ctx->save(&e))
            state.SkipWithError(e.message().c_str());
    }
}
BENCHMARK(BM_SaveOneChangedOrder)->Unit(benchmark::kMillisecond)->Iterations(50);

void BM_FirstSaveOfWholeAccount(benchmark::State& state) {
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto path = benchFolder() / ("first-" + std::to_string(round++) + ".brdb");
        Error e;
        model::createEmptyAccountStore(path, &e);
        auto ctx = model::openAccountStore(path, &e);
        bench::fillAccount(*ctx, {});
        state.ResumeTiming();
        if (!ctx->save(&e))
            state.SkipWithError(e.message().c_str());
        state.PauseTiming();
        ctx.reset();
        std::filesystem::remove(path);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstSaveOfWholeAccount)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    // As the programs that open accounts do.
    tuneHeapForLargeAccounts();
    // In a process of its own, so that nothing else it did is counted: open the account and
    // report the resident memory with it open.
    // The generated account at a path of one's choosing, for timing --open-rss runs on their own.
    if (argc == 3 && std::string(argv[1]) == "--generate") {
        bench::generateAccount(argv[2], {});
        return 0;
    }
    if (argc == 3 && std::string(argv[1]) == "--open-rss") {
        long before = residentKiB();
        auto start = std::chrono::steady_clock::now();
        Error e;
        auto ctx = model::openAccountStore(argv[2], &e);
        if (!ctx)
            return 1;
        auto took =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
        // The application opens an account once, in a fresh process: every page is touched for
        // the first time, which the repeated runs below no longer pay.
        std::printf("first open in a fresh process: %.0f ms\n", took.count());
        std::printf("resident memory: %.1f MiB before opening, %.1f MiB with the account open\n",
                    static_cast<double>(before) / 1024.0,
                    static_cast<double>(residentKiB()) / 1024.0);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    std::printf("account file: %.1f MiB\n",
                static_cast<double>(std::filesystem::file_size(largeAccount())) / 1048576.0);
    std::fflush(stdout);
    for (int i = 0; i < 3; ++i)
        std::system(("'" + std::string(argv[0]) + "' --open-rss '" + largeAccount().string() + "'")
                        .c_str());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(benchFolder());
    return 0;
}
