#pragma once

#include "core/platform/Error.h"

#include <cstddef>
#include <optional>

namespace brivel::csv {

// A source of bytes read front to back, the parser's input: a file, a string's bytes or
// anything a caller wraps. Opened once, read until it reports its end, closed once.
class InputStream {
public:
    enum class Status { NotOpen, Opening, Open, Reading, AtEnd, Closed, Error };

    virtual ~InputStream() = default;

    virtual void open() = 0;
    virtual void close() = 0;
    virtual Status streamStatus() const = 0;
    // Reads up to maxLength bytes into buffer. Returns the number read, 0 at the end, or a
    // negative number on failure, with streamError() telling why. May also throw.
    virtual std::ptrdiff_t read(char* buffer, std::size_t maxLength) = 0;
    virtual std::optional<Error> streamError() const = 0;
};

} // namespace brivel::csv
