#pragma once

#include "core/csv/InputStream.h"

#include <string>

namespace brivel::csv {

// Reads bytes held in memory.
class DataInputStream final : public InputStream {
public:
    explicit DataInputStream(std::string bytes) : m_bytes(std::move(bytes)) {}

    void open() override;
    void close() override;
    Status streamStatus() const override { return m_status; }
    std::ptrdiff_t read(char* buffer, std::size_t maxLength) override;
    std::optional<Error> streamError() const override { return std::nullopt; }

private:
    std::string m_bytes;
    std::size_t m_offset = 0;
    Status m_status = Status::NotOpen;
};

} // namespace brivel::csv
