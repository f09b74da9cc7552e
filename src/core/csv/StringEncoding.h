#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brivel::csv {

// Text encoding identifiers, numbered like the desktop platform's string encoding constants so
// that a number kept in a file or given on a command line means the same everywhere (UTF-8 is 4,
// Mac OS Roman is 30). None (0) means "not chosen": the writer then uses UTF-8 and the parser
// works the encoding out from the data.
enum class StringEncoding : std::uint64_t {
    None = 0,
    ASCII = 1,
    JapaneseEUC = 3,
    UTF8 = 4,
    ISOLatin1 = 5,
    ShiftJIS = 8,
    ISOLatin2 = 9,
    Unicode = 10, // UTF-16; read with a byte-order mark deciding the order, written big-endian
    WindowsCP1251 = 11,
    WindowsCP1252 = 12,
    WindowsCP1253 = 13,
    WindowsCP1254 = 14,
    WindowsCP1250 = 15,
    ISO2022JP = 21,
    MacOSRoman = 30,
    UTF16BigEndian = 0x90000100,
    UTF16LittleEndian = 0x94000100,
    UTF32 = 0x8c000100, // like Unicode, with 32-bit units
    UTF32BigEndian = 0x98000100,
    UTF32LittleEndian = 0x9c000100,
};

// The ICU converter that reads the encoding, or nullptr when there is none for it.
const char* decoderName(StringEncoding encoding);
// The ICU converter that writes the encoding (never adding a byte-order mark), or nullptr.
const char* encoderName(StringEncoding encoding);

// True for the UTF-8, UTF-16 and UTF-32 encodings, whose text may begin with a byte-order mark.
bool isUnicodeEncoding(StringEncoding encoding);

// The encoding named on the command line: utf-8, utf-16le, utf-16be, utf-32le, utf-32be or
// macintosh (case and the hyphen do not matter).
std::optional<StringEncoding> encodingForName(std::string_view name);

// The encoding of the user's locale, from LC_ALL, LC_CTYPE or LANG; UTF-8 when they name none
// or one this system does not know.
StringEncoding systemDefaultEncoding();

// The UTF-8 text in the encoding; nullopt when the encoding is unknown or cannot represent the
// text without loss. None gives the UTF-8 bytes unchanged.
std::optional<std::string> encodeString(std::string_view utf8, StringEncoding encoding);

} // namespace brivel::csv
