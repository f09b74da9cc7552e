#pragma once

#include "core/csv/CsvValue.h"
#include "core/csv/StringEncoding.h"
#include "core/platform/Error.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brivel {
class AtomicFile;
}

namespace brivel::csv {

class FileWriteBehind;
class TextEncoder;

// Writes records of fields as delimited text, one record a line, to a file or to a string. The
// only writer of CSV text in the system, so this class owns the format:
//  - UTF-8 unless another encoding is chosen; no byte-order mark;
//  - fields joined by the delimiter (","), every line ended by one LF;
//  - a field is enclosed in double quotes when it holds a line break, a double quote, a
//    backslash or the delimiter, or begins with "#" (or U+FEFF, which a reader would take for a
//    byte-order mark); inside quotes, double quotes and backslashes are doubled; other fields
//    stand exactly as they are;
//  - a comment line is "#" and its text.
//
// File output goes through a bounded buffer and reaches the file by closeFile() at the latest.
// Once a file's text outgrows the buffer, a second thread writes it while the next part is
// formatted; a failure to write then shows in error() when the file is closed.
// An atomic writer writes a temporary file beside the destination and moves it over the
// destination when closed (AtomicFile), so the destination is untouched until then.
class CsvWriter {
public:
    // Collects the text in memory (stringValue()).
    CsvWriter();
    // Writes the file at the path. Writing in place truncates an existing file at once. When
    // the file cannot be created, error() says why and nothing is written.
    CsvWriter(const std::filesystem::path& file, bool atomic);
    // Closes the file as closeFile() does.
    ~CsvWriter();
    CsvWriter(const CsvWriter&) = delete;
    CsvWriter& operator=(const CsvWriter&) = delete;

    // One character; not a line break, "#", the double quote or the backslash, and only before
    // the first field. Throws std::invalid_argument otherwise; the delimiter is then unchanged.
    void setDelimiter(std::string_view delimiter);
    const std::string& delimiter() const { return m_delimiter; }
    // Applies to file text written afterwards. None is replaced by UTF-8 at the first write.
    // Throws std::invalid_argument for an encoding this system cannot write.
    void setEncoding(StringEncoding encoding);
    StringEncoding encoding() const { return m_encoding; }

    // One field of the current line.
    void writeField(std::string_view text);
    void writeField(const char* text) { writeField(std::string_view(text)); }
    void writeField(const std::string& text) { writeField(std::string_view(text)); }
    void writeField(const CsvValue& value);
    void writeField(std::nullopt_t) { writeField(std::string_view()); }
    template <class T> void writeField(const std::optional<T>& value) {
        if (value)
            writeField(*value);
        else
            writeField(std::string_view());
    }
    // writeField for each value; no line end.
    template <class... Values> void writeFields(const Values&... values) {
        (writeField(values), ...);
    }
    // The values as one line; no values write nothing at all, not even a line end.
    template <class... Values> void writeLineOfFields(const Values&... values) {
        if constexpr (sizeof...(Values) > 0) {
            (writeField(values), ...);
            writeLine();
        }
    }
    // The fields, then the line end; no fields write a bare line end.
    void writeLineWithFields(std::span<const CsvValue> fields);
    void writeLineWithFields(std::initializer_list<CsvValue> fields) {
        writeLineWithFields(std::span<const CsvValue>(fields.begin(), fields.size()));
    }
    void writeLineWithFields(const std::vector<CsvValue>& fields) {
        writeLineWithFields(std::span<const CsvValue>(fields));
    }
    void writeLineWithFields(const std::vector<std::string>& fields);
    void writeLine();
    // Ends an open line first. Each line of a text with line breaks becomes a comment line of
    // its own. Does not count as the start of writing: the delimiter may still change.
    void writeCommentLine(std::string_view text);

    // Writes out what is buffered, closes the file and, for an atomic writer, moves it into
    // place. Later calls do nothing; text written afterwards is collected in memory.
    void closeFile();

    // The text collected in memory; nullopt when nothing has been collected.
    std::optional<std::string> stringValue() const { return m_stringValue; }
    // The first failure to create, write, close or move the file into place.
    const std::optional<Error>& error() const { return m_error; }

    const std::optional<std::string>& destinationFile() const { return m_destinationFile; }
    const std::optional<std::string>& handleFile() const { return m_handleFile; }
    bool atomically() const { return m_atomically; }
    bool hasStarted() const { return m_hasStarted; }
    std::uint64_t currentField() const { return m_currentField; }

private:
    enum class Sink : std::uint8_t { File, Discard, Memory };

    void openFile();
    // One byte of the k... bits below rather than three flags: returned for every field, three
    // separate bytes were stored one by one and read back as one word, which stalls the core.
    struct FieldKind {
        std::uint8_t bits = 0;
        bool quoted() const { return bits & kForcesQuotes; } // enclosed in quotes
        // Holds quotes or backslashes, doubled inside the quotes.
        bool doubled() const { return bits & kDoubled; }
        bool nonAscii() const { return bits & kNonAscii; } // to be checked as UTF-8
    };
    // Output reaches the file in pieces of this size until the second thread takes over.
    static constexpr std::size_t kBufferSize = 128 * 1024;

    FieldKind classify(std::string_view text) const;
    // UTF-8 text for the file goes straight into the buffer.
    bool isFastSink() const { return m_sink == Sink::File && m_encoding == StringEncoding::UTF8; }
    void writeText(std::string_view text, bool mayHoldNonAscii) {
        if (isFastSink() && !mayHoldNonAscii)
            appendToBuffer(text);
        else
            writeTextSlowly(text, mayHoldNonAscii);
    }
    void writeTextSlowly(std::string_view text, bool mayHoldNonAscii);
    void appendToBuffer(std::string_view bytes) {
        if (bytes.size() > m_bufferCapacity - m_bufferUsed) {
            appendLarge(bytes);
            return;
        }
        std::memcpy(m_buffer + m_bufferUsed, bytes.data(), bytes.size());
        m_bufferUsed += bytes.size();
    }
    void appendLarge(std::string_view bytes);
    void flushBuffer();
    void writeBehind();
    // Waits for the second thread's writes; a failure becomes error().
    void finishWritingBehind();
    void writeOut(const char* data, std::size_t size);
    void recordFileError(std::string description, const std::string& path, int err);
    void rebuildQuoteTable();

    std::optional<std::string> m_destinationFile;
    std::optional<std::string> m_handleFile;
    int m_outputHandle = -1;
    // The temporary file of an atomic writer until it is moved into place.
    std::unique_ptr<AtomicFile> m_atomicFile;
    bool m_atomically = false;
    std::optional<std::string> m_stringValue;
    bool m_hasStarted = false;
    std::uint64_t m_currentField = 0;
    StringEncoding m_encoding = StringEncoding::None;
    std::string m_delimiter = ",";
    char32_t m_delimiterCharacter = U',';
    std::optional<Error> m_error;

    Sink m_sink = Sink::Memory;
    // File output waiting to be written: the first m_bufferUsed bytes of m_buffer, which is
    // m_ownBuffer or one of the second thread's.
    std::unique_ptr<char[]> m_ownBuffer;
    std::unique_ptr<FileWriteBehind> m_writeBehind;
    char* m_buffer = nullptr;
    std::size_t m_bufferCapacity = 0;
    std::size_t m_bufferUsed = 0;
    std::string m_scratch;
    std::string m_scratch2;
    std::unique_ptr<TextEncoder> m_encoder;
    StringEncoding m_encoderEncoding = StringEncoding::None;
    // Per byte, what it asks of the field: quotes, doubling inside them, a UTF-8 check.
    static constexpr std::uint8_t kForcesQuotes = 1;
    static constexpr std::uint8_t kDoubled = 2;
    static constexpr std::uint8_t kNonAscii = 4;
    std::uint8_t m_quoteTable[256] = {};
    char m_delimiterByte = ',';
};

} // namespace brivel::csv
