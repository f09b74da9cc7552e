#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Character classes and UTF-8 helpers shared by the CSV writer and parser. Text is UTF-8
// throughout; the classes are defined on Unicode code points.
namespace brivel::csv::chars {

// The line-break characters: U+000A to U+000D, U+0085, U+2028 and U+2029.
constexpr bool isLineBreak(char32_t c) {
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

// White space and line breaks: tab, the line breaks and the space separators (category Zs).
constexpr bool isWhiteSpaceOrLineBreak(char32_t c) {
    if (c < 0x80)
        return c == 0x20 || (c >= 0x09 && c <= 0x0D);
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// Decodes the UTF-8 sequence at the front of [s, s + n). Returns its length and sets cp; returns
// 0 when the bytes end inside a sequence that is valid so far, and -1 when the bytes are not
// UTF-8 (overlong forms, surrogates and values above U+10FFFF included).
int decodeUtf8(const char* s, std::size_t n, char32_t& cp);

void appendUtf8(std::string& out, char32_t cp);

// True when the whole text is well-formed UTF-8.
bool isValidUtf8(std::string_view text);

// Appends the text with every ill-formed byte replaced by U+FFFD.
void appendSanitizedUtf8(std::string& out, std::string_view text);

// Length of the UTF-8 text in 16-bit code units.
std::size_t utf16Length(std::string_view text);

// The character of an acceptable delimiter. A delimiter must be exactly one 16-bit code unit and
// must not be a line break, "#", the double quote or the backslash; anything else is a caller's
// mistake and throws std::invalid_argument "<text> cannot be used as a delimiter".
char32_t checkedDelimiter(std::string_view delimiter);

// The text without the characters of the class at either end.
std::string_view trimLineBreaks(std::string_view text);
std::string_view trimWhiteSpaceAndLineBreaks(std::string_view text);

} // namespace brivel::csv::chars
