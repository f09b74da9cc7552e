#pragma once

#include <memory>
#include <ostream>
#include <streambuf>

namespace brivel::cli {

// Standard output and error with control characters escaped, so that stored text (an account
// named with an escape sequence, a note with a carriage return) cannot drive the terminal:
// C0 controls but line feed and tab, DEL and the C1 controls print as "\xHH" / "\u00HH".
// JSON output is unaffected (it never holds raw control characters). Byte-exact output, the
// CSV text of "csv write", goes through raw(). Installed once, for the life of the process.
class TerminalSafeOutput {
public:
    TerminalSafeOutput();
    ~TerminalSafeOutput();
    TerminalSafeOutput(const TerminalSafeOutput&) = delete;
    TerminalSafeOutput& operator=(const TerminalSafeOutput&) = delete;

    // Standard output as it is, without escaping.
    static std::ostream& raw();

private:
    class Buffer;
    std::unique_ptr<Buffer> m_out, m_err;
    std::streambuf* m_oldOut = nullptr;
    std::streambuf* m_oldErr = nullptr;
};

} // namespace brivel::cli
