#pragma once

#include "core/csv/StringEncoding.h"

#include <memory>
#include <string>
#include <string_view>

struct UConverter;

namespace brivel::csv {

// Turns bytes in an encoding into UTF-8 text piece by piece, as they are read: a character cut
// by the end of one piece is completed by the next.
class TextDecoder {
public:
    // nullptr when this system has no converter for the encoding.
    static std::unique_ptr<TextDecoder> create(StringEncoding encoding);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    // Appends the text of the bytes to out. Returns false at the first bytes that are not text in
    // the encoding; everything before them has been appended. With flush the input ends here, so
    // an unfinished character is such a failure.
    bool decode(std::string_view bytes, std::string& out, bool flush);

private:
    explicit TextDecoder(UConverter* source);
    void appendUtf16(const char16_t* units, const char16_t* end, std::string& out);

    UConverter* m_source;
    // The first half of a surrogate pair whose second half comes with the next piece.
    char16_t m_highSurrogate = 0;
};

} // namespace brivel::csv
