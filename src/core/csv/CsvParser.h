#pragma once

#include "core/csv/CsvParserDelegate.h"
#include "core/csv/InputStream.h"
#include "core/csv/StringEncoding.h"
#include "core/platform/Error.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace brivel::csv {

class TextDecoder;

// Reads delimited text from a byte stream and reports its lines and fields to a delegate, in
// document order, as it goes. It reads what CsvWriter writes and accepts looser input besides:
// quotes anywhere in a field, backslash escapes, "#" comment lines, blanks around fields.
//
// Memory stays bounded: the parser holds one chunk of input and the field being read, never the
// text already reported.
class CsvParser {
public:
    enum class State : std::uint8_t {
        BetweenLines = 0, // the next character starts a line or a comment
        InLine = 1,       // a line is open and no field is
        InField = 2,      // a field is open and collecting characters
        InComment = 3,    // inside a comment line; characters are dropped
        Cancelled = 4,    // final
    };

    static constexpr std::size_t kDefaultChunkSize = 2048;

    // The basic form. A non-zero encoding behind usedEncoding is used as given; None, or no
    // pointer, asks for detection from a byte-order mark or the first chunk. The encoding in use
    // is written back through the pointer. nullptr, with error set, when the stream cannot be
    // opened.
    static std::unique_ptr<CsvParser> initWithStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding* usedEncoding,
                                                     Error* error = nullptr);
    static std::unique_ptr<CsvParser> initWithStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding encoding,
                                                     Error* error = nullptr);
    static std::unique_ptr<CsvParser> initWithContentsOfCSVFile(const std::filesystem::path& path,
                                                                StringEncoding* usedEncoding,
                                                                Error* error = nullptr);
    static std::unique_ptr<CsvParser> initWithContentsOfCSVFile(const std::filesystem::path& path,
                                                                StringEncoding encoding,
                                                                Error* error = nullptr);
    // Parses the bytes of the (UTF-8) text in the encoding; None parses the UTF-8 bytes with
    // detection.
    static std::unique_ptr<CsvParser>
    initWithCSVString(std::string_view text, StringEncoding encoding, Error* error = nullptr);

    ~CsvParser();
    CsvParser(const CsvParser&) = delete;
    CsvParser& operator=(const CsvParser&) = delete;

    // One character; not a line break, "#", the double quote or the backslash. Throws
    // std::invalid_argument for those and while parse() runs.
    void setDelimiter(std::string_view delimiter);
    const std::string& delimiter() const { return m_delimiter; }
    // Bytes asked of the stream per read; at least 1.
    void setChunkSize(std::size_t chunkSize) { m_chunkSize = chunkSize > 0 ? chunkSize : 1; }
    std::size_t chunkSize() const { return m_chunkSize; }
    // Not owned. Without a delegate the parse still runs and reports nothing.
    void setParserDelegate(CsvParserDelegate* delegate) { m_delegate = delegate; }
    CsvParserDelegate* parserDelegate() const { return m_delegate; }

    // Reads the whole input and calls the delegate; returns when done, failed or cancelled.
    void parse();
    // From a delegate callback: stops after the character being processed; parse() then reports
    // an error of code CsvErrorCancelled. No other callback follows but the failure.
    void cancelParsing();

    const std::optional<Error>& error() const { return m_error; }
    const std::optional<std::string>& csvFile() const { return m_csvFile; }
    StringEncoding fileEncoding() const { return m_fileEncoding; }
    State state() const { return m_state; }

private:
    enum class Prev : std::uint8_t { None, Quote, Backslash, LineBreak, Other };

    explicit CsvParser(std::unique_ptr<InputStream> stream);

    void detectEncoding();
    void useEncoding(StringEncoding encoding, bool given);
    void rebuildClasses();

    // Input.
    bool fill();
    std::ptrdiff_t readStream(char* into, std::size_t length);
    void compact();
    void reserve(std::size_t size);
    void skipByteOrderMark();

    // The state machine, one kind of character each.
    void runLoop();
    void ordinaryCharacter(std::size_t length);
    void continueRun();
    void plainFields();
    bool quotedField();
    std::size_t scanOrdinary(std::size_t pos) const;
    std::size_t scanQuoted(std::size_t pos) const;
    void scanBlock(std::size_t start) const;
    // An offset from this start is never below kBlock, so no block is at hand.
    void forgetBlock() { m_blockStart = std::size_t(-1) - (kBlock - 1); }
    void quote();
    void backslash();
    void delimiterCharacter(std::size_t length);
    void carriageReturn();
    void lineBreak(std::size_t length);
    void nonAscii();
    void skipComment();

    void beginLine();
    void beginField();
    void finishFieldFromRaw(std::string_view raw);
    std::string_view unescape(std::string_view value, bool quotes, bool backslashes);
    void deliverField(std::string_view value);
    void finishLine();
    void formatError();
    void setState(State s) {
        if (m_state != State::Cancelled)
            m_state = s;
    }
    bool stopped() const { return m_state == State::Cancelled || m_error.has_value(); }
    void shift(Prev kind) {
        m_prevPrev = m_prev;
        m_prev = kind;
    }
    std::string_view rawField() const {
        return {m_buffer.get() + m_fieldStart, m_pos - m_fieldStart};
    }
    void recordError(int code, std::string description,
                     const std::optional<std::string>& underlying = std::nullopt);

    std::unique_ptr<InputStream> m_stream;
    CsvParserDelegate* m_delegate = nullptr;
    bool m_endOfStreamReached = false;
    StringEncoding m_fileEncoding = StringEncoding::None;
    std::optional<std::string> m_csvFile;
    bool m_hasStarted = false;
    std::string m_delimiter = ",";
    char32_t m_delimiterCharacter = U',';
    std::size_t m_chunkSize = kDefaultChunkSize;
    State m_state = State::BetweenLines;
    std::optional<Error> m_error;
    bool m_balancedQuotes = true;
    bool m_balancedEscapes = true;
    std::uint64_t m_currentLine = 0;

    // Decoded text not yet consumed: [m_pos, m_end) of m_buffer, and before m_pos the raw text
    // of the open field from m_fieldStart.
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_capacity = 0;
    std::size_t m_end = 0;
    std::size_t m_pos = 0;
    std::size_t m_fieldStart = 0;
    // Quotes and backslashes in the open field's raw text: without them nothing needs undoing.
    std::uint32_t m_fieldQuotes = 0;
    std::uint32_t m_fieldBackslashes = 0;
    Prev m_prev = Prev::None;
    Prev m_prevPrev = Prev::None;
    bool m_skipByteOrderMark = false;

    // Encodings other than UTF-8 go through a decoder; UTF-8 is read straight into m_buffer.
    std::unique_ptr<TextDecoder> m_decoder;
    std::string m_rawBytes;
    std::string m_decoded;
    bool m_decodeFailed = false;
    bool m_decoderFlushed = false;

    // Where runs of plain text end in the kBlock bytes of m_buffer from m_blockStart, one bit per
    // byte; a block lies wholly before m_end.
    static constexpr std::size_t kBlock = 64;
    mutable std::size_t m_blockStart = std::size_t(-1) - (kBlock - 1);
    mutable std::uint64_t m_blockOrdinaryEnds = 0;
    mutable std::uint64_t m_blockQuotedEnds = 0;

    std::string m_scratch;
    std::uint8_t m_classes[256] = {};
    char m_delimiterByte = ',';
};

} // namespace brivel::csv
