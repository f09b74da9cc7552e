#include "core/csv/CsvCharacters.h"

#include <stdexcept>

namespace brivel::csv::chars {

namespace {

bool isContinuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

// The code point that ends at text[end - 1], going back over continuation bytes; sets start to
// its first byte. Ill-formed tails count as one non-matching character.
char32_t lastCodePoint(std::string_view text, std::size_t end, std::size_t& start) {
    std::size_t i = end - 1;
    std::size_t stop = end >= 4 ? end - 4 : 0;
    while (i > stop && isContinuation(static_cast<unsigned char>(text[i])))
        --i;
    char32_t cp = 0;
    if (decodeUtf8(text.data() + i, end - i, cp) == static_cast<int>(end - i)) {
        start = i;
        return cp;
    }
    start = end - 1;
    return 0xFFFD;
}

template <class Pred> std::string_view trim(std::string_view text, Pred inClass) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const auto b = static_cast<unsigned char>(text[begin]);
        if (b < 0x80) {
            if (!inClass(char32_t(b)))
                break;
            ++begin;
            continue;
        }
        char32_t cp = 0;
        const int n = decodeUtf8(text.data() + begin, text.size() - begin, cp);
        if (n <= 0 || !inClass(cp))
            break;
        begin += static_cast<std::size_t>(n);
    }
    std::size_t end = text.size();
    while (end > begin) {
        const auto b = static_cast<unsigned char>(text[end - 1]);
        if (b < 0x80) {
            if (!inClass(char32_t(b)))
                break;
            --end;
            continue;
        }
        std::size_t start = 0;
        const char32_t cp = lastCodePoint(text, end, start);
        if (start < begin || !inClass(cp))
            break;
        end = start;
    }
    return text.substr(begin, end - begin);
}

} // namespace

int decodeUtf8(const char* s, std::size_t n, char32_t& cp) {
    const auto b0 = static_cast<unsigned char>(s[0]);
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF; // allowed range of the second byte
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        cp = b0 & 0x0F;
        if (b0 == 0xE0)
            lo = 0xA0;
        else if (b0 == 0xED)
            hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        cp = b0 & 0x07;
        if (b0 == 0xF0)
            lo = 0x90;
        else if (b0 == 0xF4)
            hi = 0x8F;
    } else {
        return -1;
    }
    for (int i = 1; i < len; ++i) {
        if (static_cast<std::size_t>(i) >= n)
            return 0;
        const auto b = static_cast<unsigned char>(s[i]);
        if (i == 1 ? (b < lo || b > hi) : !isContinuation(b))
            return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    return len;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int n = decodeUtf8(text.data() + i, text.size() - i, cp);
        if (n <= 0)
            return false;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

void appendSanitizedUtf8(std::string& out, std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t run = i;
        while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80)
            ++run;
        out.append(text.data() + i, run - i);
        i = run;
        if (i == text.size())
            break;
        char32_t cp = 0;
        const int n = decodeUtf8(text.data() + i, text.size() - i, cp);
        if (n > 0) {
            out.append(text.data() + i, static_cast<std::size_t>(n));
            i += static_cast<std::size_t>(n);
        } else {
            out += "\xEF\xBF\xBD";
            ++i;
        }
    }
}

std::size_t utf16Length(std::string_view text) {
    std::size_t units = 0;
    for (char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        if (!isContinuation(b))
            units += b >= 0xF0 ? 2 : 1;
    }
    return units;
}

char32_t checkedDelimiter(std::string_view delimiter) {
    char32_t cp = 0;
    const bool single =
        !delimiter.empty() &&
        decodeUtf8(delimiter.data(), delimiter.size(), cp) == static_cast<int>(delimiter.size()) &&
        cp <= 0xFFFF;
    if (!single || isLineBreak(cp) || cp == U'#' || cp == U'"' || cp == U'\\')
        throw std::invalid_argument(std::string(delimiter) + " cannot be used as a delimiter");
    return cp;
}

std::string_view trimLineBreaks(std::string_view text) {
    return trim(text, isLineBreak);
}

std::string_view trimWhiteSpaceAndLineBreaks(std::string_view text) {
    return trim(text, isWhiteSpaceOrLineBreak);
}

} // namespace brivel::csv::chars
