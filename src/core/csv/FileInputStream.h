#pragma once

#include "core/csv/FileReadAhead.h"
#include "core/csv/InputStream.h"

#include <filesystem>
#include <memory>
#include <string>

namespace brivel::csv {

// Reads a file, or an already open descriptor such as standard input. Small reads are served
// from a buffer filled by large ones, so that reading a chunk costs no system call. A large
// file the stream opened itself is read ahead on a second thread (see FileReadAhead).
class FileInputStream final : public InputStream {
public:
    explicit FileInputStream(std::filesystem::path path);
    // Reads the descriptor as it is; the stream does not close it.
    static std::unique_ptr<FileInputStream> withDescriptor(int fd, std::string name);
    ~FileInputStream() override;
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;

    void open() override;
    void close() override;
    Status streamStatus() const override { return m_status; }
    std::ptrdiff_t read(char* buffer, std::size_t maxLength) override;
    std::optional<Error> streamError() const override { return m_error; }

private:
    FileInputStream() = default;
    void fail(int err, const char* what);

    std::string m_path;
    int m_fd = -1;
    bool m_ownsDescriptor = true;
    Status m_status = Status::NotOpen;
    std::optional<Error> m_error;
    std::unique_ptr<FileReadAhead> m_readAhead;
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_bufferPos = 0;
    std::size_t m_bufferLen = 0;
};

} // namespace brivel::csv
