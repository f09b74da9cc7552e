#include "core/csv/TextEncoder.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

namespace brivel::csv {

std::unique_ptr<TextEncoder> TextEncoder::create(StringEncoding encoding, bool lossless) {
    const char* name = encoderName(encoding);
    if (!name)
        return nullptr;
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &status);
    if (U_FAILURE(status))
        return nullptr;
    if (lossless)
        ucnv_setFromUCallBack(converter, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                              &status);
    return std::unique_ptr<TextEncoder>(new TextEncoder(converter, lossless));
}

TextEncoder::TextEncoder(UConverter* converter, bool lossless)
    : m_converter(converter), m_lossless(lossless) {}

TextEncoder::~TextEncoder() {
    ucnv_close(m_converter);
}

bool TextEncoder::encode(std::string_view utf8, std::string& out) {
    if (utf8.empty())
        return true;
    m_units.resize(utf8.size());
    int32_t length = 0;
    int32_t substitutions = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(m_units.data()),
                         static_cast<int32_t>(m_units.size()), &length, utf8.data(),
                         static_cast<int32_t>(utf8.size()), 0xFFFD, &substitutions, &status);
    if (U_FAILURE(status) || (m_lossless && substitutions > 0))
        return false;
    return convert(m_units.data(), m_units.data() + length, false, out);
}

bool TextEncoder::finish(std::string& out) {
    return convert(nullptr, nullptr, true, out);
}

bool TextEncoder::convert(const char16_t* source, const char16_t* limit, bool flush,
                          std::string& out) {
    char target[8192];
    const UChar* s = reinterpret_cast<const UChar*>(source);
    for (;;) {
        char* t = target;
        UErrorCode status = U_ZERO_ERROR;
        ucnv_fromUnicode(m_converter, &t, target + sizeof target, &s,
                         reinterpret_cast<const UChar*>(limit), nullptr, flush, &status);
        out.append(target, static_cast<std::size_t>(t - target));
        if (status == U_BUFFER_OVERFLOW_ERROR)
            continue;
        return U_SUCCESS(status);
    }
}

} // namespace brivel::csv
