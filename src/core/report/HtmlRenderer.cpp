#include "core/report/HtmlRenderer.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>

namespace brivel::report {

namespace {

// Length of the well-formed UTF-8 sequence at text[i], or 0 when it is not one.
std::size_t utf8SequenceLength(std::string_view text, std::size_t i) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char c = byte(i);
    if (c < 0x80)
        return 1;
    std::size_t n;
    std::uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}

std::string cssColor(const Rgb& c) {
    auto channel = [](double v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0));
    };
    return fmt::format("#{:02x}{:02x}{:02x}", channel(c.red), channel(c.green), channel(c.blue));
}

std::string_view className(TextStyle style) {
    return styleAttributes(style).name;
}

std::string styleSheet() {
    std::string css = "body { margin: 1em; }\n"
                      ".report { white-space: pre-wrap; overflow-wrap: break-word; }\n"
                      ".report img { display: inline; vertical-align: bottom; }\n";
    for (std::size_t i = 1; i < TextStyleCount; ++i) {
        auto style = static_cast<TextStyle>(i);
        const auto& a = styleAttributes(style);
        css += fmt::format(".{} {{ font-family: \"{}\", Helvetica, Arial, sans-serif; "
                           "font-weight: {}; font-size: {}pt;",
                           className(style), a.fontFamily, a.bold ? "bold" : "normal", a.pointSize);
        if (a.underline)
            css += " text-decoration: underline;";
        if (a.background)
            css += " background-color: " + cssColor(*a.background) + ";";
        css += " }\n";
    }
    return css;
}

} // namespace

void appendHtmlEscaped(std::string_view text, std::string& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        switch (c) {
        case '&':
            out += "&amp;";
            ++i;
            continue;
        case '<':
            out += "&lt;";
            ++i;
            continue;
        case '>':
            out += "&gt;";
            ++i;
            continue;
        case '"':
            out += "&quot;";
            ++i;
            continue;
        case '\'':
            out += "&#39;";
            ++i;
            continue;
        default:
            break;
        }
        std::size_t n = utf8SequenceLength(text, i);
        if (n == 0) {
            out += "\xEF\xBF\xBD"; // U+FFFD for a byte that is no UTF-8
            ++i;
            continue;
        }
        unsigned char u = static_cast<unsigned char>(c);
        if (n == 1 && u < 0x20 && c != '\n' && c != '\t') {
            // Control characters are not allowed in HTML text; show them as a space.
            out += c == '\r' ? "" : " ";
            ++i;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
}

std::string fileUrl(const std::filesystem::path& path) {
    std::string url = "file://";
    std::error_code failed;
    const auto absolute = path.is_absolute() ? path : std::filesystem::absolute(path, failed);
    for (unsigned char c : (failed ? path : absolute).string()) {
        bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (keep)
            url += static_cast<char>(c);
        else
            url += fmt::format("%{:02X}", c);
    }
    return url;
}

std::string renderHtml(const StyledText& text, std::string_view title) {
    std::string out;
    out.reserve(text.string().size() * 2 + 4096);
    out += "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>";
    appendHtmlEscaped(title, out);
    out += "</title>\n<style>\n";
    out += styleSheet();
    out += "</style>\n</head>\n<body>\n<div class=\"report\">";
    for (const auto& run : text.runs()) {
        if (run.isAttachment()) {
            out += "<img src=\"";
            appendHtmlEscaped(fileUrl(text.attachmentOf(run).file), out);
            out += "\" alt=\"\">";
            continue;
        }
        if (run.style == TextStyle::Plain) {
            appendHtmlEscaped(text.textOf(run), out);
            continue;
        }
        out += "<span class=\"";
        out += className(run.style);
        out += "\">";
        appendHtmlEscaped(text.textOf(run), out);
        out += "</span>";
    }
    out += "</div>\n</body>\n</html>\n";
    return out;
}

} // namespace brivel::report
