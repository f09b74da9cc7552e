// brivel-csv-parse-driver FILE: parses the file with CsvParser, reads every field and prints
// "records=N fields=N field_len=N unit=utf8" (field lengths in UTF-8 bytes), the output the
// CSV peers benchmark compares.
#include "core/csv/CsvParser.h"

#include <cstdio>

namespace {

class Counter final : public brivel::csv::CsvParserDelegate {
public:
    unsigned long long records = 0, fields = 0, length = 0;
    const brivel::Error* failure = nullptr;

    void parserDidStartDocument(brivel::csv::CsvParser&,
                                const std::optional<std::string>&) override {}
    void parserDidStartLine(brivel::csv::CsvParser&, std::uint64_t) override {}
    void parserDidEndLine(brivel::csv::CsvParser&, std::uint64_t) override { ++records; }
    void parserDidReadField(brivel::csv::CsvParser&, std::string_view field) override {
        ++fields;
        length += field.size();
    }
    void parserDidEndDocument(brivel::csv::CsvParser&, const std::optional<std::string>&) override {
    }
    void parserDidFailWithError(brivel::csv::CsvParser&, const brivel::Error& e) override {
        failure = &e;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    brivel::Error error;
    auto parser = brivel::csv::CsvParser::initWithContentsOfCSVFile(
        argv[1], brivel::csv::StringEncoding::UTF8, &error);
    if (!parser) {
        std::fprintf(stderr, "%s\n", error.localizedDescription.c_str());
        return 1;
    }
    Counter counter;
    parser->setParserDelegate(&counter);
    parser->parse();
    if (counter.failure) {
        std::fprintf(stderr, "%s\n", counter.failure->localizedDescription.c_str());
        return 1;
    }
    std::printf("records=%llu fields=%llu field_len=%llu unit=utf8\n", counter.records,
                counter.fields, counter.length);
    return 0;
}
