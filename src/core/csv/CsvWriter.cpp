#include "core/csv/CsvWriter.h"

#include "core/csv/CsvCharacters.h"
#include "core/csv/FileWriteBehind.h"
#include "core/csv/TextEncoder.h"
#include "core/platform/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fmt/format.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brivel::csv {

namespace {

int openNew(const std::string& path, bool exclusive) {
    int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    int fd;
    do
        fd = ::open(path.c_str(), flags, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

CsvWriter::CsvWriter() {
    rebuildQuoteTable();
}

CsvWriter::CsvWriter(const std::filesystem::path& file, bool atomic)
    : m_destinationFile(file.string()), m_atomically(atomic), m_sink(Sink::File) {
    rebuildQuoteTable();
    m_ownBuffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
    m_buffer = m_ownBuffer.get();
    m_bufferCapacity = kBufferSize;
    openFile();
}

CsvWriter::~CsvWriter() {
    closeFile();
}

void CsvWriter::openFile() {
    const std::string& destination = *m_destinationFile;
    if (!m_atomically) {
        m_handleFile = destination;
        // A file in the way is replaced by a new one (a failure to remove it shows when
        // creating). A device or a pipe is written as it is: removing /dev/null is no way to
        // write to it.
        struct stat st {};
        if (::lstat(destination.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))
            ::unlink(destination.c_str());
        m_outputHandle = openNew(destination, /*exclusive=*/false);
        if (m_outputHandle < 0) {
            recordFileError("Unable to create the file \"" + destination + "\".", destination,
                            errno);
            m_sink = Sink::Discard;
        }
        return;
    }
    m_atomicFile = std::make_unique<AtomicFile>(destination);
    Error error;
    if (!m_atomicFile->open(&error)) {
        m_error = std::move(error);
        m_sink = Sink::Discard;
        return;
    }
    m_handleFile = m_atomicFile->temporaryPath().string();
    m_outputHandle = m_atomicFile->descriptor();
}

void CsvWriter::setDelimiter(std::string_view delimiter) {
    if (m_hasStarted)
        throw std::invalid_argument("You cannot set a delimiter after writing has started");
    m_delimiterCharacter = chars::checkedDelimiter(delimiter);
    m_delimiter = std::string(delimiter);
    rebuildQuoteTable();
}

void CsvWriter::setEncoding(StringEncoding encoding) {
    if (encoding != StringEncoding::None && encoding != StringEncoding::UTF8 &&
        !encoderName(encoding))
        throw std::invalid_argument(fmt::format("{} is not a text encoding this system can write",
                                                static_cast<std::uint64_t>(encoding)));
    m_encoding = encoding;
}

void CsvWriter::rebuildQuoteTable() {
    for (int c = 0; c < 256; ++c)
        m_quoteTable[c] = c >= 0x80 ? kNonAscii : 0;
    for (unsigned char c : {'\n', '\v', '\f', '\r', '"', '\\'})
        m_quoteTable[c] = kForcesQuotes;
    m_quoteTable[static_cast<unsigned char>('"')] |= kDoubled;
    m_quoteTable[static_cast<unsigned char>('\\')] |= kDoubled;
    if (m_delimiterCharacter < 0x80)
        m_quoteTable[m_delimiterCharacter] = kForcesQuotes;
    // An ASCII delimiter is found by the fast scan itself; the bytes of another are non-ASCII.
    m_delimiterByte = static_cast<char>(m_delimiterCharacter < 0x80 ? m_delimiterCharacter : '"');
}

#if defined(__SSE2__)
namespace {

// Lanes of x holding a quote, a backslash, the delimiter or \n \v \f \r.
inline __m128i specialLanes(__m128i x, char delimiterByte) {
    const __m128i y = _mm_sub_epi8(x, _mm_set1_epi8('\n')); // \n \v \f \r: at most 3
    __m128i special = _mm_cmpeq_epi8(_mm_min_epu8(y, _mm_set1_epi8(3)), y);
    special = _mm_or_si128(special, _mm_cmpeq_epi8(x, _mm_set1_epi8('"')));
    special = _mm_or_si128(special, _mm_cmpeq_epi8(x, _mm_set1_epi8('\\')));
    return _mm_or_si128(special, _mm_cmpeq_epi8(x, _mm_set1_epi8(delimiterByte)));
}

} // namespace
#endif

// Whether the field needs quotes, whether it holds quotes or backslashes to double, and whether
// it holds non-ASCII bytes (to be checked as UTF-8 on the way out). Sixteen bytes at a time.
CsvWriter::FieldKind CsvWriter::classify(std::string_view text) const {
    FieldKind kind;
    const std::size_t n = text.size();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    unsigned flags = 0;
    std::size_t i = 0;
#if defined(__SSE2__)
    if (n >= 4) {
        __m128i special = _mm_setzero_si128();
        __m128i doubled = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        const auto take = [&](__m128i x) {
            special = _mm_or_si128(special, specialLanes(x, m_delimiterByte));
            doubled = _mm_or_si128(doubled, _mm_cmpeq_epi8(x, _mm_set1_epi8('"')));
            doubled = _mm_or_si128(doubled, _mm_cmpeq_epi8(x, _mm_set1_epi8('\\')));
            high = _mm_or_si128(high, x);
        };
        // Short texts fill one block from two overlapping pieces; long ones take blocks of 16
        // and the last 16 bytes again. Nothing past the text is read.
        if (n < 8) {
            std::uint32_t a, b;
            std::memcpy(&a, bytes, 4);
            std::memcpy(&b, bytes + n - 4, 4);
            take(_mm_set_epi32(static_cast<int>(a), static_cast<int>(b), static_cast<int>(a),
                               static_cast<int>(b)));
        } else if (n < 16) {
            std::uint64_t a, b;
            std::memcpy(&a, bytes, 8);
            std::memcpy(&b, bytes + n - 8, 8);
            take(_mm_set_epi64x(static_cast<long long>(a), static_cast<long long>(b)));
        } else {
            for (; i + 16 <= n; i += 16)
                take(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + i)));
            if (i < n)
                take(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + n - 16)));
        }
        i = n;
        flags = (_mm_movemask_epi8(special) ? kForcesQuotes : 0u) |
                (_mm_movemask_epi8(doubled) ? kDoubled : 0u) |
                (_mm_movemask_epi8(high) ? kNonAscii : 0u);
    }
#endif
    for (; i < n; ++i)
        flags |= m_quoteTable[bytes[i]];
    kind.bits = static_cast<std::uint8_t>(flags & (kForcesQuotes | kDoubled | kNonAscii));
    if (kind.nonAscii() && !kind.quoted()) {
        // A non-ASCII line break or delimiter needs quotes too.
        for (std::size_t j = 0; j < n && !kind.quoted();) {
            if (static_cast<unsigned char>(text[j]) < 0x80) {
                ++j;
                continue;
            }
            char32_t cp = 0;
            const int len = chars::decodeUtf8(text.data() + j, n - j, cp);
            if (len > 0 && (chars::isLineBreak(cp) || cp == m_delimiterCharacter))
                kind.bits |= kForcesQuotes;
            j += len > 0 ? static_cast<std::size_t>(len) : 1;
        }
    }
    // A leading "#" would make a comment line, and a leading U+FEFF would be taken for a
    // byte-order mark at the start of the text.
    if (!kind.quoted() && n > 0 &&
        (text[0] == '#' || (kind.nonAscii() && text.substr(0, 3) == "\xEF\xBB\xBF")))
        kind.bits |= kForcesQuotes;
    return kind;
}

void CsvWriter::writeField(std::string_view text) {
    m_hasStarted = true;
    if (m_currentField > 0)
        writeText(m_delimiter, false);
    ++m_currentField;
    const FieldKind kind = classify(text);
    if (!kind.quoted()) {
        writeText(text, kind.nonAscii());
        return;
    }
    if (!kind.doubled() && isFastSink() && !kind.nonAscii()) {
        appendToBuffer("\"");
        appendToBuffer(text);
        appendToBuffer("\"");
        return;
    }
    m_scratch.clear();
    m_scratch += '"';
    const char* p = text.data();
    const char* end = text.data() + text.size();
    for (const char* q = p; kind.doubled() && q < end; ++q) {
        if (*q == '"' || *q == '\\') {
            m_scratch.append(p, q + 1);
            m_scratch += *q; // doubled
            p = q + 1;
        }
    }
    m_scratch.append(p, end);
    m_scratch += '"';
    writeText(m_scratch, kind.nonAscii());
}

void CsvWriter::writeField(const CsvValue& value) {
    if (const std::string* s = value.string())
        writeField(std::string_view(*s));
    else
        writeField(std::string_view(value.text()));
}

void CsvWriter::writeLineWithFields(std::span<const CsvValue> fields) {
    for (const auto& f : fields)
        writeField(f);
    writeLine();
}

void CsvWriter::writeLineWithFields(const std::vector<std::string>& fields) {
    for (const auto& f : fields)
        writeField(std::string_view(f));
    writeLine();
}

void CsvWriter::writeLine() {
    writeText("\n", false);
    m_currentField = 0;
}

void CsvWriter::writeCommentLine(std::string_view text) {
    if (m_currentField != 0)
        writeLine();
    // A line break in the text would turn the rest into a data line: start a new comment
    // line there instead. CR LF is one break.
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        int len = chars::decodeUtf8(text.data() + i, text.size() - i, cp);
        if (len <= 0) {
            ++i;
            continue;
        }
        if (!chars::isLineBreak(cp)) {
            i += static_cast<std::size_t>(len);
            continue;
        }
        if (cp == U'\r' && i + 1 < text.size() && text[i + 1] == '\n')
            len = 2;
        writeText("#", false);
        writeText(text.substr(start, i - start), true);
        writeLine();
        i += static_cast<std::size_t>(len);
        start = i;
    }
    writeText("#", false);
    writeText(text.substr(start), true);
    writeLine();
}

void CsvWriter::writeTextSlowly(std::string_view text, bool mayHoldNonAscii) {
    if (m_encoding == StringEncoding::None)
        m_encoding = StringEncoding::UTF8;
    if (m_sink == Sink::Discard)
        return;
    if (m_sink == Sink::Memory) {
        if (!m_stringValue)
            m_stringValue.emplace();
        if (mayHoldNonAscii && !chars::isValidUtf8(text))
            chars::appendSanitizedUtf8(*m_stringValue, text);
        else
            m_stringValue->append(text);
        return;
    }
    if (m_encoding == StringEncoding::UTF8) {
        // Ill-formed UTF-8 from the caller becomes U+FFFD rather than a file nobody can read.
        if (!chars::isValidUtf8(text)) {
            m_scratch2.clear();
            chars::appendSanitizedUtf8(m_scratch2, text);
            appendToBuffer(m_scratch2);
        } else {
            appendToBuffer(text);
        }
        return;
    }
    if (!m_encoder || m_encoderEncoding != m_encoding) {
        m_scratch2.clear();
        if (m_encoder)
            m_encoder->finish(m_scratch2);
        m_encoder = TextEncoder::create(m_encoding, /*lossless=*/false);
        m_encoderEncoding = m_encoding;
        appendToBuffer(m_scratch2);
    }
    m_scratch2.clear();
    if (m_encoder)
        m_encoder->encode(text, m_scratch2);
    appendToBuffer(m_scratch2);
}

void CsvWriter::appendLarge(std::string_view bytes) {
    flushBuffer();
    writeBehind();
    if (bytes.size() < m_bufferCapacity) {
        appendToBuffer(bytes);
        return;
    }
    // Written here, after everything before it.
    finishWritingBehind();
    writeOut(bytes.data(), bytes.size());
}

void CsvWriter::flushBuffer() {
    if (m_bufferUsed == 0)
        return;
    if (m_writeBehind) {
        m_writeBehind->submit(m_bufferUsed);
        m_buffer = m_writeBehind->buffer();
    } else {
        writeOut(m_buffer, m_bufferUsed);
    }
    m_bufferUsed = 0;
}

// A file that outgrows one buffer is large enough to be worth a second thread; a smaller one,
// flushed only when closed, never starts one.
void CsvWriter::writeBehind() {
    if (m_writeBehind || m_sink != Sink::File || m_outputHandle < 0)
        return;
    try {
        m_writeBehind = std::make_unique<FileWriteBehind>(m_outputHandle);
    } catch (const std::system_error&) {
        return; // no thread: this one writes
    }
    m_ownBuffer.reset();
    m_buffer = m_writeBehind->buffer();
    m_bufferCapacity = FileWriteBehind::kSlotSize;
}

void CsvWriter::finishWritingBehind() {
    if (!m_writeBehind)
        return;
    if (const int failedWith = m_writeBehind->finish(); failedWith && m_sink == Sink::File) {
        recordFileError("Unable to write the file \"" + *m_destinationFile + "\".", *m_handleFile,
                        failedWith);
        m_sink = Sink::Discard;
    }
}

void CsvWriter::writeOut(const char* data, std::size_t size) {
    if (m_sink == Sink::File && m_outputHandle >= 0 && size > 0 &&
        !writeAll(m_outputHandle, std::string_view(data, size))) {
        recordFileError("Unable to write the file \"" + *m_destinationFile + "\".", *m_handleFile,
                        errno);
        m_sink = Sink::Discard; // the file is incomplete; keep going quietly, the error tells
    }
}

void CsvWriter::closeFile() {
    if (m_outputHandle < 0) {
        m_sink = Sink::Memory;
        return;
    }
    if (m_encoder && m_sink == Sink::File) {
        m_scratch2.clear();
        m_encoder->finish(m_scratch2);
        appendToBuffer(m_scratch2);
    }
    flushBuffer();
    finishWritingBehind();
    m_writeBehind.reset();
    const int handle = m_outputHandle;
    m_outputHandle = -1;
    m_sink = Sink::Memory;
    m_ownBuffer.reset();
    m_buffer = nullptr;
    m_bufferCapacity = 0;
    m_bufferUsed = 0;
    if (m_atomicFile) {
        // A failed or incomplete file never replaces the destination.
        Error error;
        if (m_error)
            m_atomicFile->discard();
        else if (!m_atomicFile->commit(&error))
            m_error = std::move(error);
        m_atomicFile.reset();
        return;
    }
    if (::close(handle) != 0 && errno != EINTR && !m_error)
        recordFileError("Unable to write the file \"" + *m_destinationFile + "\".", *m_handleFile,
                        errno);
}

void CsvWriter::recordFileError(std::string description, const std::string& path, int err) {
    if (m_error)
        return;
    Error e;
    e.domain = errors::FileDomain;
    e.code = errors::FileWriteUnknown;
    e.localizedDescription = std::move(description);
    e.failureReason = std::string(std::strerror(err)) + ".";
    e.userInfo["NSFilePath"] = path;
    e.userInfo["NSPOSIXErrorCode"] = std::to_string(err);
    m_error = std::move(e);
}

} // namespace brivel::csv
