#include "core/csv/TextDecoder.h"

#include "core/csv/CsvCharacters.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

namespace brivel::csv {

std::unique_ptr<TextDecoder> TextDecoder::create(StringEncoding encoding) {
    const char* name = decoderName(encoding);
    if (!name)
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* source = ucnv_open(name, &status);
    if (U_FAILURE(status))
        return nullptr;
    // Stop at bytes that are not text instead of putting substitution characters in their place.
    ucnv_setToUCallBack(source, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    return std::unique_ptr<TextDecoder>(new TextDecoder(source));
}

TextDecoder::TextDecoder(UConverter* source) : m_source(source) {}

TextDecoder::~TextDecoder() {
    ucnv_close(m_source);
}

bool TextDecoder::decode(std::string_view bytes, std::string& out, bool flush) {
    const char* source = bytes.data();
    const char* sourceLimit = bytes.data() + bytes.size();
    UChar units[4096];
    for (;;) {
        UChar* target = units;
        UErrorCode status = U_ZERO_ERROR;
        // On a failure the units before the bad bytes are in the target already.
        ucnv_toUnicode(m_source, &target, units + 4096, &source, sourceLimit, nullptr, flush,
                       &status);
        appendUtf16(reinterpret_cast<const char16_t*>(units),
                    reinterpret_cast<const char16_t*>(target), out);
        if (status == U_BUFFER_OVERFLOW_ERROR)
            continue;
        return U_SUCCESS(status);
    }
}

void TextDecoder::appendUtf16(const char16_t* units, const char16_t* end, std::string& out) {
    for (const char16_t* u = units; u < end; ++u) {
        const char16_t c = *u;
        if (m_highSurrogate) {
            const char16_t high = m_highSurrogate;
            m_highSurrogate = 0;
            if (c >= 0xDC00 && c <= 0xDFFF) {
                chars::appendUtf8(out, 0x10000 + ((char32_t(high) - 0xD800) << 10) +
                                           (char32_t(c) - 0xDC00));
                continue;
            }
        }
        if (c >= 0xD800 && c <= 0xDBFF)
            m_highSurrogate = c;
        else if (c < 0xDC00 || c > 0xDFFF)
            chars::appendUtf8(out, c);
    }
}

} // namespace brivel::csv
