#pragma once

#include "core/csv/StringEncoding.h"

#include <memory>
#include <string>
#include <string_view>

struct UConverter;

namespace brivel::csv {

// Turns UTF-8 text into bytes of an encoding piece by piece, keeping the state of encodings that
// have one (ISO-2022-JP) from one piece to the next. Never writes a byte-order mark.
class TextEncoder {
public:
    // nullptr when this system has no converter for the encoding. A lossless encoder refuses
    // text the encoding cannot represent; a lossy one puts the encoding's substitution character
    // in its place (and U+FFFD, or that substitute, for ill-formed UTF-8).
    static std::unique_ptr<TextEncoder> create(StringEncoding encoding, bool lossless);
    ~TextEncoder();
    TextEncoder(const TextEncoder&) = delete;
    TextEncoder& operator=(const TextEncoder&) = delete;

    // Appends the bytes of the text to out; false when a lossless encoder met text it cannot
    // represent (out is then unspecified).
    bool encode(std::string_view utf8, std::string& out);
    // Appends what a stateful encoding needs to end its text.
    bool finish(std::string& out);

private:
    TextEncoder(UConverter* converter, bool lossless);
    bool convert(const char16_t* source, const char16_t* limit, bool flush, std::string& out);

    UConverter* m_converter;
    bool m_lossless;
    std::u16string m_units;
};

} // namespace brivel::csv
