#include "core/csv/StringEncoding.h"

#include "core/csv/TextEncoder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace brivel::csv {

namespace {

struct EncodingEntry {
    StringEncoding encoding;
    const char* decoder;
    const char* encoder;
};

constexpr EncodingEntry kEncodings[] = {
    {StringEncoding::ASCII, "US-ASCII", "US-ASCII"},
    {StringEncoding::JapaneseEUC, "EUC-JP", "EUC-JP"},
    {StringEncoding::UTF8, "UTF-8", "UTF-8"},
    {StringEncoding::ISOLatin1, "ISO-8859-1", "ISO-8859-1"},
    {StringEncoding::ShiftJIS, "Shift_JIS", "Shift_JIS"},
    {StringEncoding::ISOLatin2, "ISO-8859-2", "ISO-8859-2"},
    {StringEncoding::Unicode, "UTF-16", "UTF-16BE"},
    {StringEncoding::WindowsCP1251, "windows-1251", "windows-1251"},
    {StringEncoding::WindowsCP1252, "windows-1252", "windows-1252"},
    {StringEncoding::WindowsCP1253, "windows-1253", "windows-1253"},
    {StringEncoding::WindowsCP1254, "windows-1254", "windows-1254"},
    {StringEncoding::WindowsCP1250, "windows-1250", "windows-1250"},
    {StringEncoding::ISO2022JP, "ISO-2022-JP", "ISO-2022-JP"},
    {StringEncoding::MacOSRoman, "macintosh", "macintosh"},
    {StringEncoding::UTF16BigEndian, "UTF-16BE", "UTF-16BE"},
    {StringEncoding::UTF16LittleEndian, "UTF-16LE", "UTF-16LE"},
    {StringEncoding::UTF32, "UTF-32", "UTF-32BE"},
    {StringEncoding::UTF32BigEndian, "UTF-32BE", "UTF-32BE"},
    {StringEncoding::UTF32LittleEndian, "UTF-32LE", "UTF-32LE"},
};

const EncodingEntry* find(StringEncoding encoding) {
    for (const auto& e : kEncodings)
        if (e.encoding == encoding)
            return &e;
    return nullptr;
}

// "UTF-8", "utf8" and "Utf_8" are one name.
std::string normalized(std::string_view name) {
    std::string out;
    for (char c : name)
        if (c != '-' && c != '_')
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

const char* decoderName(StringEncoding encoding) {
    const auto* e = find(encoding);
    return e ? e->decoder : nullptr;
}

const char* encoderName(StringEncoding encoding) {
    const auto* e = find(encoding);
    return e ? e->encoder : nullptr;
}

bool isUnicodeEncoding(StringEncoding encoding) {
    switch (encoding) {
    case StringEncoding::UTF8:
    case StringEncoding::Unicode:
    case StringEncoding::UTF16BigEndian:
    case StringEncoding::UTF16LittleEndian:
    case StringEncoding::UTF32:
    case StringEncoding::UTF32BigEndian:
    case StringEncoding::UTF32LittleEndian:
        return true;
    default:
        return false;
    }
}

std::optional<StringEncoding> encodingForName(std::string_view name) {
    const std::string n = normalized(name);
    if (n == "utf8")
        return StringEncoding::UTF8;
    if (n == "utf16le")
        return StringEncoding::UTF16LittleEndian;
    if (n == "utf16be")
        return StringEncoding::UTF16BigEndian;
    if (n == "utf32le")
        return StringEncoding::UTF32LittleEndian;
    if (n == "utf32be")
        return StringEncoding::UTF32BigEndian;
    if (n == "macintosh" || n == "macroman")
        return StringEncoding::MacOSRoman;
    return std::nullopt;
}

StringEncoding systemDefaultEncoding() {
    const char* locale = nullptr;
    for (const char* var : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* v = std::getenv(var);
        if (v && *v) {
            locale = v;
            break;
        }
    }
    if (!locale)
        return StringEncoding::UTF8;
    // language_TERRITORY.CODESET@modifier
    std::string_view l(locale);
    const auto dot = l.find('.');
    if (dot == std::string_view::npos)
        return StringEncoding::UTF8;
    std::string_view codeset = l.substr(dot + 1);
    codeset = codeset.substr(0, codeset.find('@'));
    const std::string n = normalized(codeset);
    if (n == "iso88591")
        return StringEncoding::ISOLatin1;
    if (n == "iso88592")
        return StringEncoding::ISOLatin2;
    if (n == "cp1252" || n == "windows1252")
        return StringEncoding::WindowsCP1252;
    if (n == "cp1251" || n == "windows1251")
        return StringEncoding::WindowsCP1251;
    if (n == "eucjp")
        return StringEncoding::JapaneseEUC;
    if (n == "sjis" || n == "shiftjis")
        return StringEncoding::ShiftJIS;
    return StringEncoding::UTF8;
}

std::optional<std::string> encodeString(std::string_view utf8, StringEncoding encoding) {
    if (encoding == StringEncoding::None)
        return std::string(utf8);
    auto encoder = TextEncoder::create(encoding, /*lossless=*/true);
    if (!encoder)
        return std::nullopt;
    std::string out;
    if (!encoder->encode(utf8, out) || !encoder->finish(out))
        return std::nullopt;
    return out;
}

} // namespace brivel::csv
