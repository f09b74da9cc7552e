// brivel-csv-write-driver IN OUT TIMELOG: loads IN into rows of strings (not timed), then times
// writing them to OUT with CsvWriter (create, write every row, close) and appends
// "seconds bytes" to TIMELOG, as the CSV peers benchmark expects.
#include "core/csv/CsvAdditions.h"
#include "core/csv/CsvWriter.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s IN OUT TIMELOG\n", argv[0]);
        return 2;
    }
    brivel::Error error;
    const auto rows =
        brivel::csv::arrayWithContentsOfCSVFile(argv[1], brivel::csv::StringEncoding::UTF8, &error);
    if (!rows) {
        std::fprintf(stderr, "%s\n", error.message().c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    brivel::csv::CsvWriter writer(argv[2], false);
    for (const auto& row : *rows)
        writer.writeLineWithFields(row);
    writer.closeFile();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (writer.error()) {
        std::fprintf(stderr, "%s\n", writer.error()->message().c_str());
        return 1;
    }
    std::FILE* log = std::fopen(argv[3], "a");
    if (!log) {
        std::perror(argv[3]);
        return 1;
    }
    std::fprintf(log, "%.6f %llu\n", seconds,
                 static_cast<unsigned long long>(std::filesystem::file_size(argv[2])));
    std::fclose(log);
    return 0;
}
