#include "cli/TerminalSafeOutput.h"

#include <fmt/format.h>
#include <iostream>
#include <string>

namespace brivel::cli {

namespace {
std::ostream* g_raw = nullptr;
} // namespace

// Forwards to the original buffer, escaping on the way. A C1 control is two bytes in UTF-8
// (0xC2 0x80..0x9F); a 0xC2 waits for the byte after it.
class TerminalSafeOutput::Buffer final : public std::streambuf {
public:
    explicit Buffer(std::streambuf* out) : m_out(out) {}
    ~Buffer() override { flushPending(); }

protected:
    int overflow(int c) override {
        if (c == traits_type::eof())
            return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
        char ch = traits_type::to_char_type(c);
        put(std::string_view(&ch, 1));
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override {
        put(std::string_view(s, static_cast<std::size_t>(n)));
        return n;
    }
    int sync() override { return m_out->pubsync(); }

private:
    void put(std::string_view text) {
        std::string out;
        out.reserve(text.size());
        for (char ch : text) {
            auto b = static_cast<unsigned char>(ch);
            if (m_pendingC2) {
                m_pendingC2 = false;
                if (b >= 0x80 && b <= 0x9F) {
                    out += fmt::format("\\u{:04X}", b);
                    continue;
                }
                out += '\xC2';
            }
            if (b == 0xC2)
                m_pendingC2 = true;
            else if ((b < 0x20 && b != '\n' && b != '\t') || b == 0x7F)
                out += fmt::format("\\x{:02X}", b);
            else
                out += ch;
        }
        m_out->sputn(out.data(), static_cast<std::streamsize>(out.size()));
    }
    void flushPending() {
        if (m_pendingC2)
            m_out->sputc('\xC2');
        m_pendingC2 = false;
    }

    std::streambuf* m_out;
    bool m_pendingC2 = false;
};

TerminalSafeOutput::TerminalSafeOutput()
    : m_out(std::make_unique<Buffer>(std::cout.rdbuf())),
      m_err(std::make_unique<Buffer>(std::cerr.rdbuf())) {
    static std::ostream raw(std::cout.rdbuf());
    g_raw = &raw;
    m_oldOut = std::cout.rdbuf(m_out.get());
    m_oldErr = std::cerr.rdbuf(m_err.get());
}

TerminalSafeOutput::~TerminalSafeOutput() {
    std::cout.flush();
    std::cerr.flush();
    std::cout.rdbuf(m_oldOut);
    std::cerr.rdbuf(m_oldErr);
    m_out.reset(); // writes a held byte
    m_err.reset();
}

std::ostream& TerminalSafeOutput::raw() {
    return g_raw ? *g_raw : std::cout;
}

} // namespace brivel::cli
