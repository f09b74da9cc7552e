#include "CsvTestSupport.h"

#include "core/csv/DataInputStream.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <stdexcept>

namespace brivel::csv::test {

ParseOutcome parseText(std::string_view text, std::string_view delimiter, std::size_t chunkSize) {
    auto parser = CsvParser::initWithStream(std::make_unique<DataInputStream>(std::string(text)),
                                            StringEncoding::UTF8);
    EXPECT_TRUE(parser);
    if (!parser)
        return {};
    parser->setDelimiter(delimiter);
    parser->setChunkSize(chunkSize);
    RecordingDelegate d;
    parser->setParserDelegate(&d);
    parser->parse();
    EXPECT_EQ(parser->error().has_value(), d.failure.has_value());
    return {d.events, d.lines, parser->error()};
}

ParseOutcome parseAtAllChunkSizes(std::string_view text, std::string_view delimiter) {
    const ParseOutcome reference = parseText(text, delimiter);
    for (std::size_t chunk : {1, 2, 3, 5, 8, 13, 64}) {
        const ParseOutcome other = parseText(text, delimiter, chunk);
        EXPECT_EQ(other.events, reference.events) << "chunk size " << chunk;
    }
    return reference;
}

void FaultyStream::open() {
    m_status = m_fault == Fault::Open ? Status::Error : Status::Open;
}

std::ptrdiff_t FaultyStream::read(char* buffer, std::size_t maxLength) {
    if (m_offset >= m_failAfter && m_fault == Fault::ReadError)
        return -1;
    if (m_offset >= m_failAfter && m_fault == Fault::ReadThrows)
        throw std::runtime_error("the disk went away");
    std::size_t limit = m_bytes.size();
    if (m_fault == Fault::ReadError || m_fault == Fault::ReadThrows)
        limit = std::min(limit, m_failAfter);
    const std::size_t n = std::min(maxLength, limit - m_offset);
    std::memcpy(buffer, m_bytes.data() + m_offset, n);
    m_offset += n;
    if (n == 0)
        m_status = Status::AtEnd;
    return static_cast<std::ptrdiff_t>(n);
}

std::optional<Error> FaultyStream::streamError() const {
    if (m_fault != Fault::ReadError)
        return std::nullopt;
    Error e;
    e.domain = "TestStreamDomain";
    e.code = 5;
    e.localizedDescription = "Input/output error";
    return e;
}

} // namespace brivel::csv::test
