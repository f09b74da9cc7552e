#pragma once

#include "core/csv/CsvLinesAggregator.h"
#include "core/csv/CsvParser.h"
#include "core/csv/InputStream.h"

#include <functional>
#include <string>
#include <vector>

namespace brivel::csv::test {

// Writes every callback down as a short line ("L1", "f:a", "/L1", ...) and collects the lines,
// so that a test can check both what was read and in which order it was reported.
class RecordingDelegate : public CsvParserDelegate {
public:
    std::vector<std::string> events;
    CsvLines lines;
    std::optional<Error> failure;
    // Called after a field is recorded; lets a test act from inside a callback.
    std::function<void(CsvParser&, std::string_view)> onField;
    std::function<void(CsvParser&, std::uint64_t)> onLine;

    void parserDidStartDocument(CsvParser&, const std::optional<std::string>& file) override {
        events.push_back("doc" + (file ? ":" + *file : std::string()));
    }
    void parserDidStartLine(CsvParser& p, std::uint64_t n) override {
        events.push_back("L" + std::to_string(n));
        lines.emplace_back();
        if (onLine)
            onLine(p, n);
    }
    void parserDidEndLine(CsvParser&, std::uint64_t n) override {
        events.push_back("/L" + std::to_string(n));
    }
    void parserDidReadField(CsvParser& p, std::string_view field) override {
        events.push_back("f:" + std::string(field));
        lines.back().emplace_back(field);
        if (onField)
            onField(p, field);
    }
    void parserDidEndDocument(CsvParser&, const std::optional<std::string>& file) override {
        events.push_back("end" + (file ? ":" + *file : std::string()));
    }
    void parserDidFailWithError(CsvParser&, const Error& e) override {
        events.push_back("fail:" + std::to_string(e.code));
        failure = e;
    }
};

struct ParseOutcome {
    std::vector<std::string> events;
    CsvLines lines;
    std::optional<Error> error;
};

// Parses UTF-8 text (no detection) with the delimiter and chunk size.
ParseOutcome parseText(std::string_view text, std::string_view delimiter = ",",
                       std::size_t chunkSize = CsvParser::kDefaultChunkSize);

// Parses at chunk sizes from 1 byte up and fails the test unless every one reports the very same
// callbacks; gives the outcome.
ParseOutcome parseAtAllChunkSizes(std::string_view text, std::string_view delimiter = ",");

// A stream whose open, read or both fail on demand.
class FaultyStream : public InputStream {
public:
    enum class Fault { Open, ReadError, ReadThrows };
    FaultyStream(std::string bytes, Fault fault, std::size_t failAfter = 0)
        : m_bytes(std::move(bytes)), m_fault(fault), m_failAfter(failAfter) {}

    void open() override;
    void close() override { m_status = Status::Closed; }
    Status streamStatus() const override { return m_status; }
    std::ptrdiff_t read(char* buffer, std::size_t maxLength) override;
    std::optional<Error> streamError() const override;

private:
    std::string m_bytes;
    Fault m_fault;
    std::size_t m_failAfter;
    std::size_t m_offset = 0;
    Status m_status = Status::NotOpen;
};

} // namespace brivel::csv::test
