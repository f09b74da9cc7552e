// Parses and writes generated trade exports of 10 MB and 100 MB. The files are made once, in
// $BRIVEL_BENCH_DATA (default: the temporary folder's brivel-csv-bench).
#include "TradeCsvGenerator.h"

#include "core/csv/CsvAdditions.h"
#include "core/csv/CsvParser.h"
#include "core/csv/CsvWriter.h"
#include "core/platform/SystemLog.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using namespace brivel::csv;

namespace {

fs::path dataFolder() {
    if (const char* d = std::getenv("BRIVEL_BENCH_DATA"))
        return d;
    return fs::temp_directory_path() / "brivel-csv-bench";
}

// Encoding detection logs a line per file; not what is measured.
class SilentLog final : public brivel::SystemLog {
public:
    void log(const std::string&) override {}
};
SilentLog g_silentLog;
const bool g_silenced = (brivel::setSystemLog(&g_silentLog), true);

class Counter final : public CsvParserDelegate {
public:
    std::uint64_t fields = 0, bytes = 0, lines = 0;
    void parserDidStartDocument(CsvParser&, const std::optional<std::string>&) override {}
    void parserDidStartLine(CsvParser&, std::uint64_t) override { ++lines; }
    void parserDidEndLine(CsvParser&, std::uint64_t) override {}
    void parserDidReadField(CsvParser&, std::string_view f) override {
        ++fields;
        bytes += f.size();
    }
    void parserDidEndDocument(CsvParser&, const std::optional<std::string>&) override {}
    void parserDidFailWithError(CsvParser&, const brivel::Error&) override {}
};

void BM_ParseFile(benchmark::State& state) {
    const auto path = bench::tradeCsvFile(dataFolder(), static_cast<std::uint64_t>(state.range(0)));
    const auto size = fs::file_size(path);
    Counter counter;
    for (auto _ : state) {
        counter = Counter();
        auto parser = CsvParser::initWithContentsOfCSVFile(path, StringEncoding::UTF8);
        parser->setParserDelegate(&counter);
        parser->parse();
        if (parser->error())
            state.SkipWithError(parser->error()->localizedDescription.c_str());
        benchmark::DoNotOptimize(counter.bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size * state.iterations()));
    state.counters["fields"] = static_cast<double>(counter.fields);
}

void BM_ParseFileDetectingEncoding(benchmark::State& state) {
    const auto path = bench::tradeCsvFile(dataFolder(), static_cast<std::uint64_t>(state.range(0)));
    const auto size = fs::file_size(path);
    for (auto _ : state) {
        Counter counter;
        StringEncoding used = StringEncoding::None;
        auto parser = CsvParser::initWithContentsOfCSVFile(path, &used);
        parser->setParserDelegate(&counter);
        parser->parse();
        benchmark::DoNotOptimize(counter.bytes);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size * state.iterations()));
}

// The conveniences: every field copied into a lines array.
void BM_ReadLinesArray(benchmark::State& state) {
    const auto path = bench::tradeCsvFile(dataFolder(), static_cast<std::uint64_t>(state.range(0)));
    const auto size = fs::file_size(path);
    for (auto _ : state) {
        auto lines = arrayWithContentsOfCSVFile(path, StringEncoding::UTF8);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size * state.iterations()));
}

void BM_WriteFile(benchmark::State& state) {
    const auto path = bench::tradeCsvFile(dataFolder(), static_cast<std::uint64_t>(state.range(0)));
    const auto rows = arrayWithContentsOfCSVFile(path, StringEncoding::UTF8);
    const auto out = dataFolder() / "written.csv";
    for (auto _ : state) {
        CsvWriter writer(out, false);
        for (const auto& row : *rows)
            writer.writeLineWithFields(row);
        writer.closeFile();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(fs::file_size(out) * state.iterations()));
    fs::remove(out);
}

void BM_WriteString(benchmark::State& state) {
    const auto path = bench::tradeCsvFile(dataFolder(), static_cast<std::uint64_t>(state.range(0)));
    const auto rows = arrayWithContentsOfCSVFile(path, StringEncoding::UTF8);
    std::size_t size = 0;
    for (auto _ : state) {
        auto text = CSVString(*rows);
        size = text->size();
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(size * state.iterations()));
}

constexpr std::int64_t k10MB = 10'000'000;
constexpr std::int64_t k100MB = 100'000'000;

} // namespace

BENCHMARK(BM_ParseFile)->Arg(k10MB)->Arg(k100MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseFileDetectingEncoding)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadLinesArray)->Arg(k10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteFile)->Arg(k10MB)->Arg(k100MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteString)->Arg(k10MB)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
