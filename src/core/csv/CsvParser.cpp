#include "core/csv/CsvParser.h"

#include "core/csv/CsvCharacters.h"
#include "core/csv/CsvError.h"
#include "core/csv/DataInputStream.h"
#include "core/csv/FileInputStream.h"
#include "core/csv/TextDecoder.h"
#include "core/platform/SystemLog.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fmt/format.h>
#include <stdexcept>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The handlers of the frequent characters are inlined into the loop that dispatches them.
#define BRIVEL_CSV_INLINE [[gnu::always_inline]] inline

namespace brivel::csv {

namespace {

constexpr const char* kUndecodable = "unable to interpret current chunk as a string";

// Byte classes of the state machine. Every byte of a UTF-8 sequence is NonAscii; the sequence is
// decoded to tell a line break or a non-ASCII delimiter from ordinary text.
enum : std::uint8_t {
    kOrdinary,
    kQuote,
    kBackslash,
    kDelimiter,
    kLineBreak,
    kCarriageReturn,
    kNonAscii,
};

class NullDelegate final : public CsvParserDelegate {
public:
    void parserDidStartDocument(CsvParser&, const std::optional<std::string>&) override {}
    void parserDidStartLine(CsvParser&, std::uint64_t) override {}
    void parserDidEndLine(CsvParser&, std::uint64_t) override {}
    void parserDidReadField(CsvParser&, std::string_view) override {}
    void parserDidEndDocument(CsvParser&, const std::optional<std::string>&) override {}
    void parserDidFailWithError(CsvParser&, const Error&) override {}
};

NullDelegate g_nullDelegate;

// True when the first bytes can be UTF-8. A character cut off by the end of the chunk counts as
// UTF-8 (its rest comes with the next read) unless the input ends there.
bool looksLikeUtf8(std::string_view bytes, bool inputEnded) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        const int n = chars::decodeUtf8(bytes.data() + i, bytes.size() - i, cp);
        if (n < 0)
            return false;
        if (n == 0)
            return !inputEnded;
        i += static_cast<std::size_t>(n);
    }
    return true;
}

// Bytes that may begin or end white space or a line break: the ASCII controls and blank, and
// the bytes of non-ASCII characters.
constexpr auto kMayTrim = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[static_cast<std::size_t>(c)] = c <= 0x20 || c >= 0x80;
    return t;
}();

bool mayTrimEnds(std::string_view v) {
    return (kMayTrim[static_cast<unsigned char>(v.front())] |
            kMayTrim[static_cast<unsigned char>(v.back())]) != 0;
}

} // namespace

// ---- Creation --------------------------------------------------------------------------------

CsvParser::CsvParser(std::unique_ptr<InputStream> stream) : m_stream(std::move(stream)) {
    rebuildClasses();
}

CsvParser::~CsvParser() {
    if (m_stream)
        m_stream->close();
}

std::unique_ptr<CsvParser> CsvParser::initWithStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding* usedEncoding, Error* error) {
    std::unique_ptr<CsvParser> parser(new CsvParser(std::move(stream)));
    bool opened = parser->m_stream != nullptr;
    try {
        if (opened)
            parser->m_stream->open();
        const auto status = opened ? parser->m_stream->streamStatus() : InputStream::Status::Error;
        opened = status == InputStream::Status::Opening || status == InputStream::Status::Open ||
                 status == InputStream::Status::Reading;
    } catch (const std::exception&) {
        opened = false;
    }
    if (!opened) {
        if (error) {
            Error e;
            e.domain = CsvErrorDomain;
            e.code = CsvErrorInput;
            e.localizedDescription = "Unable to open file for reading";
            if (auto underlying = parser->m_stream ? parser->m_stream->streamError() : std::nullopt)
                e.userInfo["NSUnderlyingError"] = underlying->message();
            *error = std::move(e);
        }
        return nullptr;
    }
    const StringEncoding given = usedEncoding ? *usedEncoding : StringEncoding::None;
    if (given == StringEncoding::None)
        parser->detectEncoding();
    else
        parser->useEncoding(given, /*given=*/true);
    if (usedEncoding)
        *usedEncoding = parser->m_fileEncoding;
    return parser;
}

std::unique_ptr<CsvParser> CsvParser::initWithStream(std::unique_ptr<InputStream> stream,
                                                     StringEncoding encoding, Error* error) {
    return initWithStream(std::move(stream), &encoding, error);
}

std::unique_ptr<CsvParser> CsvParser::initWithContentsOfCSVFile(const std::filesystem::path& path,
                                                                StringEncoding* usedEncoding,
                                                                Error* error) {
    auto parser = initWithStream(std::make_unique<FileInputStream>(path), usedEncoding, error);
    if (parser)
        parser->m_csvFile = path.string();
    return parser;
}

std::unique_ptr<CsvParser> CsvParser::initWithContentsOfCSVFile(const std::filesystem::path& path,
                                                                StringEncoding encoding,
                                                                Error* error) {
    return initWithContentsOfCSVFile(path, &encoding, error);
}

std::unique_ptr<CsvParser> CsvParser::initWithCSVString(std::string_view text,
                                                        StringEncoding encoding, Error* error) {
    auto bytes = encodeString(text, encoding);
    if (!bytes) {
        if (error) {
            Error e;
            e.domain = CsvErrorDomain;
            e.code = CsvErrorInput;
            e.localizedDescription = "Unable to represent the string in the chosen encoding";
            *error = std::move(e);
        }
        return nullptr;
    }
    return initWithStream(std::make_unique<DataInputStream>(std::move(*bytes)), encoding, error);
}

void CsvParser::detectEncoding() {
    // The first chunk decides. Keep reading until it is full, so that a pipe delivering a few
    // bytes at a time is judged on as much as a file.
    m_rawBytes.resize(m_chunkSize);
    std::size_t have = 0;
    while (have < m_chunkSize && !m_endOfStreamReached) {
        const std::ptrdiff_t got = readStream(m_rawBytes.data() + have, m_chunkSize - have);
        if (got < 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    m_rawBytes.resize(have);
    if (have == 0)
        return; // empty (or unreadable) input: no encoding

    const auto b = [&](std::size_t i) {
        return i < have ? static_cast<unsigned char>(m_rawBytes[i]) : -1;
    };
    StringEncoding encoding;
    std::size_t markLength = 0;
    if (b(0) == 0xEF && b(1) == 0xBB && b(2) == 0xBF) {
        encoding = StringEncoding::UTF8;
        markLength = 3;
    } else if (b(0) == 0xFE && b(1) == 0xFF) {
        encoding = StringEncoding::UTF16BigEndian;
        markLength = 2;
    } else if (b(0) == 0xFF && b(1) == 0xFE && b(2) == 0x00 && b(3) == 0x00) {
        encoding = StringEncoding::UTF32LittleEndian;
        markLength = 4;
    } else if (b(0) == 0xFF && b(1) == 0xFE) {
        encoding = StringEncoding::UTF16LittleEndian;
        markLength = 2;
    } else if (b(0) == 0x00 && b(1) == 0x00 && b(2) == 0xFE && b(3) == 0xFF) {
        encoding = StringEncoding::UTF32BigEndian;
        markLength = 4;
    } else if (b(0) == 0xEF || b(0) == 0xFE || b(0) == 0xFF || b(0) == 0x00) {
        encoding = systemDefaultEncoding();
    } else if (looksLikeUtf8(m_rawBytes, m_endOfStreamReached)) {
        systemLog().log("unable to determine file encoding; assuming UTF8");
        encoding = StringEncoding::UTF8;
    } else {
        systemLog().log("unable to determine file encoding; assuming MacOSRoman");
        encoding = StringEncoding::MacOSRoman;
    }
    m_rawBytes.erase(0, markLength);
    useEncoding(encoding, /*given=*/false);
}

void CsvParser::useEncoding(StringEncoding encoding, bool given) {
    m_fileEncoding = encoding;
    // A mark at the start of text in an encoding the caller named is not text either.
    m_skipByteOrderMark = given && isUnicodeEncoding(encoding);
    if (encoding == StringEncoding::UTF8) {
        reserve(m_rawBytes.size());
        if (!m_rawBytes.empty())
            std::memcpy(m_buffer.get(), m_rawBytes.data(), m_rawBytes.size());
        m_end = m_rawBytes.size();
        m_rawBytes.clear();
        return;
    }
    m_decoder = TextDecoder::create(encoding);
    if (!m_decoder)
        recordError(CsvErrorInput, kUndecodable);
}

void CsvParser::setDelimiter(std::string_view delimiter) {
    if (m_hasStarted)
        throw std::invalid_argument("You cannot set a delimiter after parsing has started");
    m_delimiterCharacter = chars::checkedDelimiter(delimiter);
    m_delimiter = std::string(delimiter);
    rebuildClasses();
}

void CsvParser::rebuildClasses() {
    for (int c = 0; c < 256; ++c)
        m_classes[c] = c >= 0x80 ? kNonAscii : kOrdinary;
    m_classes[static_cast<unsigned char>('"')] = kQuote;
    m_classes[static_cast<unsigned char>('\\')] = kBackslash;
    m_classes[static_cast<unsigned char>('\n')] = kLineBreak;
    m_classes[static_cast<unsigned char>('\v')] = kLineBreak;
    m_classes[static_cast<unsigned char>('\f')] = kLineBreak;
    m_classes[static_cast<unsigned char>('\r')] = kCarriageReturn;
    if (m_delimiterCharacter < 0x80)
        m_classes[m_delimiterCharacter] = kDelimiter;
    // An ASCII delimiter stops the fast scan itself; the bytes of another are non-ASCII anyway.
    m_delimiterByte = static_cast<char>(m_delimiterCharacter < 0x80 ? m_delimiterCharacter : '"');
}

// ---- Input -----------------------------------------------------------------------------------

void CsvParser::reserve(std::size_t size) {
    if (size <= m_capacity)
        return;
    const std::size_t capacity = std::max({size, 2 * m_capacity, std::size_t(4096)});
    auto grown = std::make_unique<char[]>(capacity);
    if (m_end > 0)
        std::memcpy(grown.get(), m_buffer.get(), m_end);
    m_buffer = std::move(grown);
    m_capacity = capacity;
}

// Drops the text already consumed; only the open field's raw text is still needed.
void CsvParser::compact() {
    const std::size_t keep = m_state == State::InField ? m_fieldStart : m_pos;
    if (keep == 0)
        return;
    std::memmove(m_buffer.get(), m_buffer.get() + keep, m_end - keep);
    m_end -= keep;
    m_pos -= keep;
    if (m_state == State::InField)
        m_fieldStart -= keep;
}

std::ptrdiff_t CsvParser::readStream(char* into, std::size_t length) {
    std::ptrdiff_t got = 0;
    try {
        got = m_stream->read(into, length);
    } catch (const std::exception& e) {
        recordError(CsvErrorInput, e.what(), std::string(e.what()));
        return -1;
    } catch (...) {
        recordError(CsvErrorInput, "Unknown failure while reading", std::nullopt);
        return -1;
    }
    if (got < 0) {
        const auto underlying = m_stream->streamError();
        recordError(CsvErrorInput, "Unable to read from input stream",
                    underlying ? std::optional<std::string>(underlying->message()) : std::nullopt);
        return -1;
    }
    if (static_cast<std::size_t>(got) > length)
        got = static_cast<std::ptrdiff_t>(length);
    if (got == 0 || m_stream->streamStatus() == InputStream::Status::AtEnd)
        m_endOfStreamReached = true;
    return got;
}

// Makes more text available after m_end. False at the end of the input or on a failure.
bool CsvParser::fill() {
    if (m_error)
        return false;
    forgetBlock(); // the text moves
    compact();
    if (!m_decoder) {
        while (!m_endOfStreamReached) {
            reserve(m_end + m_chunkSize);
            const std::ptrdiff_t got = readStream(m_buffer.get() + m_end, m_chunkSize);
            if (got < 0)
                return false;
            if (got > 0) {
                m_end += static_cast<std::size_t>(got);
                return true;
            }
        }
        return false;
    }
    for (;;) {
        if (m_decodeFailed) {
            recordError(CsvErrorInput, kUndecodable);
            return false;
        }
        if (!m_rawBytes.empty() || (m_endOfStreamReached && !m_decoderFlushed)) {
            m_decoded.clear();
            if (!m_decoder->decode(m_rawBytes, m_decoded, m_endOfStreamReached))
                m_decodeFailed = true;
            m_rawBytes.clear();
            m_decoderFlushed = m_endOfStreamReached;
            if (!m_decoded.empty()) {
                reserve(m_end + m_decoded.size());
                std::memcpy(m_buffer.get() + m_end, m_decoded.data(), m_decoded.size());
                m_end += m_decoded.size();
                return true;
            }
            continue;
        }
        if (m_endOfStreamReached)
            return false;
        m_rawBytes.resize(m_chunkSize);
        const std::ptrdiff_t got = readStream(m_rawBytes.data(), m_chunkSize);
        m_rawBytes.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        if (got < 0)
            return false;
    }
}

void CsvParser::skipByteOrderMark() {
    m_skipByteOrderMark = false;
    while (m_end - m_pos < 3 && fill()) {
    }
    if (m_end - m_pos >= 3 && std::memcmp(m_buffer.get() + m_pos, "\xEF\xBB\xBF", 3) == 0)
        m_pos += 3;
}

// ---- Parsing ---------------------------------------------------------------------------------

void CsvParser::parse() {
    struct Started {
        bool& flag;
        explicit Started(bool& f) : flag(f) { flag = true; }
        ~Started() { flag = false; }
    } started(m_hasStarted);
    if (!m_delegate)
        m_delegate = &g_nullDelegate;
    struct ClearNull {
        CsvParserDelegate*& d;
        ~ClearNull() {
            if (d == &g_nullDelegate)
                d = nullptr;
        }
    } clearNull{m_delegate};

    m_delegate->parserDidStartDocument(*this, m_csvFile);
    if (m_skipByteOrderMark && !m_error)
        skipByteOrderMark();
    runLoop();
    // A last line without a line end is delivered; text left in other states is dropped.
    if (!stopped()) {
        if (m_state == State::InField) {
            m_pos = m_end;
            finishFieldFromRaw(rawField());
        }
        if (!stopped() && m_state == State::InLine)
            finishLine();
    }
    if (m_error)
        m_delegate->parserDidFailWithError(*this, *m_error);
    else
        m_delegate->parserDidEndDocument(*this, m_csvFile);
}

void CsvParser::cancelParsing() {
    m_state = State::Cancelled;
    recordError(CsvErrorCancelled, std::string());
}

// The four steps of the state machine.

BRIVEL_CSV_INLINE void CsvParser::beginLine() {
    ++m_currentLine;
    m_delegate->parserDidStartLine(*this, m_currentLine);
    setState(State::InLine);
}

BRIVEL_CSV_INLINE void CsvParser::beginField() {
    m_fieldStart = m_pos;
    m_balancedQuotes = true;
    m_balancedEscapes = true;
    m_fieldQuotes = 0;
    m_fieldBackslashes = 0;
    setState(State::InField);
}

BRIVEL_CSV_INLINE void CsvParser::deliverField(std::string_view value) {
    m_delegate->parserDidReadField(*this, value);
    setState(State::InLine);
}

BRIVEL_CSV_INLINE void CsvParser::finishLine() {
    m_delegate->parserDidEndLine(*this, m_currentLine);
    setState(State::BetweenLines);
}

// The field's value from its raw text: line breaks off both ends, then the enclosing quotes,
// then white space off both ends, then doubled quotes and backslash escapes undone.
BRIVEL_CSV_INLINE void CsvParser::finishFieldFromRaw(std::string_view raw) {
    std::string_view v = raw;
    if (!v.empty() && mayTrimEnds(v))
        v = chars::trimLineBreaks(v);
    std::uint32_t quotesLeft = m_fieldQuotes;
    if (v.size() >= 2 && v.front() == '"' && v.back() == '"') {
        v = v.substr(1, v.size() - 2);
        quotesLeft -= 2;
    }
    if (!v.empty() && mayTrimEnds(v))
        v = chars::trimWhiteSpaceAndLineBreaks(v);
    if ((quotesLeft | m_fieldBackslashes) != 0)
        v = unescape(v, quotesLeft > 0, m_fieldBackslashes > 0);
    deliverField(v);
}

// Doubled quotes become one, then each backslash goes and the character after it stays.
std::string_view CsvParser::unescape(std::string_view v, bool quotes, bool backslashes) {
    m_scratch.clear();
    if (quotes) {
        const char* p = v.data();
        const char* end = v.data() + v.size();
        while (p < end) {
            const auto* q = static_cast<const char*>(std::memchr(p, '"', std::size_t(end - p)));
            if (!q) {
                m_scratch.append(p, end);
                break;
            }
            m_scratch.append(p, q + 1);
            p = q + 1;
            if (p < end && *p == '"')
                ++p; // the second of a pair
        }
    } else {
        m_scratch.assign(v);
    }
    if (backslashes) {
        std::size_t w = 0;
        for (std::size_t r = 0; r < m_scratch.size();) {
            if (m_scratch[r] == '\\') {
                ++r;
                if (r < m_scratch.size())
                    m_scratch[w++] = m_scratch[r++];
            } else {
                m_scratch[w++] = m_scratch[r++];
            }
        }
        m_scratch.resize(w);
    }
    return m_scratch;
}

// ---- Characters ------------------------------------------------------------------------------

#if defined(__SSE2__)
// Marks, for the 64 bytes from start, every byte that ends a run of plain text outside quotes
// (quote, backslash, delimiter, line break, non-ASCII) and inside them (quote, backslash,
// non-ASCII). Fields are short, so one pass over a block serves several of them, and finding
// the next end is a bit scan rather than a loop whose exit the processor mispredicts.
void CsvParser::scanBlock(std::size_t start) const {
    const char* text = m_buffer.get() + start;
    const __m128i quote = _mm_set1_epi8('"');
    const __m128i backslash = _mm_set1_epi8('\\');
    const __m128i delimiter = _mm_set1_epi8(m_delimiterByte);
    const __m128i lineFeed = _mm_set1_epi8('\n');
    const __m128i three = _mm_set1_epi8(3);
    std::uint64_t ordinaryEnds = 0;
    std::uint64_t quotedEnds = 0;
    for (int i = 0; i < 4; ++i) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + 16 * i));
        // \n, \v, \f and \r are 0x0A to 0x0D: x - 0x0A is at most 3 for them alone. Bytes from
        // 0x80 have their high bit set already.
        const __m128i y = _mm_sub_epi8(x, lineFeed);
        const __m128i lineBreak = _mm_cmpeq_epi8(_mm_min_epu8(y, three), y);
        const __m128i inQuotes =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, quote), _mm_cmpeq_epi8(x, backslash)), x);
        const __m128i outside =
            _mm_or_si128(inQuotes, _mm_or_si128(lineBreak, _mm_cmpeq_epi8(x, delimiter)));
        quotedEnds |=
            static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(inQuotes)))
            << (16 * i);
        ordinaryEnds |=
            static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(outside)))
            << (16 * i);
    }
    m_blockStart = start;
    m_blockOrdinaryEnds = ordinaryEnds;
    m_blockQuotedEnds = quotedEnds;
}
#endif

// The end of the run of ordinary text from pos: the first quote, backslash, delimiter, line
// break or invalid byte. Sixteen bytes at a time while they are ASCII.
BRIVEL_CSV_INLINE std::size_t CsvParser::scanOrdinary(std::size_t pos) const {
    const char* text = m_buffer.get();
    const std::size_t end = m_end;
    for (;;) {
#if defined(__SSE2__)
        for (;;) {
            std::size_t offset = pos - m_blockStart;
            if (offset >= kBlock) {
                if (pos + kBlock > end)
                    break;
                scanBlock(pos);
                offset = 0;
            }
            const std::uint64_t ends = m_blockOrdinaryEnds >> offset;
            if (ends == 0) {
                pos = m_blockStart + kBlock;
                continue;
            }
            pos += static_cast<std::size_t>(__builtin_ctzll(ends));
            if (static_cast<unsigned char>(text[pos]) < 0x80)
                return pos;
            break; // a non-ASCII byte: decoded below
        }
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i backslash = _mm_set1_epi8('\\');
        const __m128i delimiter = _mm_set1_epi8(m_delimiterByte);
        const __m128i lineFeed = _mm_set1_epi8('\n');
        const __m128i three = _mm_set1_epi8(3);
        while (pos + 16 <= end) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos));
            // \n, \v, \f and \r are 0x0A to 0x0D: x - 0x0A is at most 3 for them alone.
            const __m128i y = _mm_sub_epi8(x, lineFeed);
            __m128i special = _mm_cmpeq_epi8(_mm_min_epu8(y, three), y);
            special = _mm_or_si128(special, _mm_cmpeq_epi8(x, quote));
            special = _mm_or_si128(special, _mm_cmpeq_epi8(x, backslash));
            special = _mm_or_si128(special, _mm_cmpeq_epi8(x, delimiter));
            // Bytes from 0x80 have their high bit set already.
            const int mask = _mm_movemask_epi8(_mm_or_si128(special, x));
            if (mask != 0) {
                pos += static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
                // Every byte the mask finds ends the run; only a non-ASCII one needs a look.
                if (static_cast<unsigned char>(text[pos]) < 0x80)
                    return pos;
                break;
            }
            pos += 16;
        }
#endif
        while (pos < end && m_classes[static_cast<unsigned char>(text[pos])] == kOrdinary)
            ++pos;
        if (pos < end && static_cast<unsigned char>(text[pos]) >= 0x80) {
            char32_t cp = 0;
            const int n = chars::decodeUtf8(text + pos, end - pos, cp);
            if (n > 0 && !chars::isLineBreak(cp) && cp != m_delimiterCharacter) {
                pos += static_cast<std::size_t>(n);
                continue;
            }
        }
        return pos;
    }
}

// Inside quotes only quotes, backslashes and non-ASCII bytes (checked as UTF-8) end a run.
BRIVEL_CSV_INLINE std::size_t CsvParser::scanQuoted(std::size_t pos) const {
    const char* text = m_buffer.get();
    const std::size_t end = m_end;
    for (;;) {
#if defined(__SSE2__)
        for (;;) {
            std::size_t offset = pos - m_blockStart;
            if (offset >= kBlock) {
                if (pos + kBlock > end)
                    break;
                scanBlock(pos);
                offset = 0;
            }
            const std::uint64_t ends = m_blockQuotedEnds >> offset;
            if (ends == 0) {
                pos = m_blockStart + kBlock;
                continue;
            }
            pos += static_cast<std::size_t>(__builtin_ctzll(ends));
            if (static_cast<unsigned char>(text[pos]) < 0x80)
                return pos;
            break; // a non-ASCII byte: decoded below
        }
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i backslash = _mm_set1_epi8('\\');
        while (pos + 16 <= end) {
            const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos));
            const __m128i special =
                _mm_or_si128(_mm_cmpeq_epi8(x, quote), _mm_cmpeq_epi8(x, backslash));
            const int mask = _mm_movemask_epi8(_mm_or_si128(special, x));
            if (mask != 0) {
                pos += static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
                // Every byte the mask finds ends the run; only a non-ASCII one needs a look.
                if (static_cast<unsigned char>(text[pos]) < 0x80)
                    return pos;
                break;
            }
            pos += 16;
        }
#endif
        while (pos < end) {
            const auto c = static_cast<unsigned char>(text[pos]);
            if (c == '"' || c == '\\' || c >= 0x80)
                break;
            ++pos;
        }
        if (pos < end) {
            char32_t cp = 0;
            const int n = chars::decodeUtf8(text + pos, end - pos, cp);
            if (n > 0 && cp >= 0x80 && !chars::isLineBreak(cp)) {
                pos += static_cast<std::size_t>(n);
                continue;
            }
        }
        return pos;
    }
}

// Takes in the run of characters that are plain text where the open field stands: outside
// quotes all but quotes, backslashes, delimiters and line breaks; inside quotes all but quotes
// and backslashes. Only called with balanced escapes, where such characters change nothing
// but the field's text.
BRIVEL_CSV_INLINE void CsvParser::continueRun() {
    const std::size_t start = m_pos;
    m_pos = m_balancedQuotes ? scanOrdinary(m_pos) : scanQuoted(m_pos);
    if (m_pos == start)
        return;
    m_prevPrev = m_pos - start >= 2 ? Prev::Other : m_prev;
    const auto last = static_cast<unsigned char>(m_buffer[m_pos - 1]);
    m_prev = last >= '\n' && last <= '\r' ? Prev::LineBreak : Prev::Other;
}

// The common fields taken in strides, one after another across delimiters and line ends: a
// field of ordinary characters ended by the delimiter or a line end, which needs no unquoting,
// only trimming, and the common quoted field (quotedField()). Anything else (a field that starts
// otherwise, a quote or backslash inside a field, the end of the text at hand) is left to the
// general path as ordinaryCharacter() would leave it. Called with the state InLine, or
// BetweenLines with anything but a comment's "#" at hand.
BRIVEL_CSV_INLINE void CsvParser::plainFields() {
    const char* text = m_buffer.get();
    while (m_pos < m_end) {
        const std::uint8_t first = m_classes[static_cast<unsigned char>(text[m_pos])];
        if (first == kQuote) {
            if (!quotedField() || stopped())
                return;
            continue;
        }
        if (first != kOrdinary)
            return;
        if (m_state == State::BetweenLines) {
            if (text[m_pos] == '#')
                return;
            beginLine();
            if (stopped())
                return;
        }
        const std::size_t start = m_pos;
        const std::size_t stop = scanOrdinary(start + 1);
        const std::uint8_t kind = stop < m_end ? m_classes[static_cast<unsigned char>(text[stop])]
                                               : std::uint8_t(kNonAscii);
        if (kind != kDelimiter && kind != kLineBreak) {
            beginField();
            m_pos = stop;
            m_prevPrev = stop - start >= 2 ? Prev::Other : m_prev;
            m_prev = Prev::Other;
            return;
        }
        std::string_view value(text + start, stop - start);
        if (mayTrimEnds(value))
            value = chars::trimWhiteSpaceAndLineBreaks(value);
        m_pos = stop;
        deliverField(value);
        if (stopped())
            return;
        m_pos = stop + 1;
        m_prevPrev = Prev::Other;
        if (kind == kLineBreak) {
            m_prev = Prev::LineBreak;
            finishLine();
            if (stopped())
                return;
        } else {
            m_prev = Prev::Other;
        }
    }
}

// The common quoted field taken in one stride: where a field starts, a quote, text without
// quotes or backslashes, the closing quote, then the delimiter or a line end. Such a field loses
// its enclosing quotes and the white space at its ends, nothing else. False, with nothing done,
// for anything else (a doubled quote, an escape, the end of the text at hand), which quote()
// and the general path then take.
BRIVEL_CSV_INLINE bool CsvParser::quotedField() {
    const char* text = m_buffer.get();
    const std::size_t close = scanQuoted(m_pos + 1);
    if (close + 1 >= m_end || text[close] != '"')
        return false;
    const std::uint8_t after = m_classes[static_cast<unsigned char>(text[close + 1])];
    if (after != kDelimiter && after != kLineBreak)
        return false;
    if (m_state == State::BetweenLines) {
        beginLine();
        if (stopped())
            return true;
    }
    std::string_view value(text + m_pos + 1, close - m_pos - 1);
    if (!value.empty() && mayTrimEnds(value))
        value = chars::trimWhiteSpaceAndLineBreaks(value);
    m_pos = close + 1;
    deliverField(value);
    if (stopped())
        return true;
    m_pos = close + 2;
    m_prevPrev = Prev::Quote;
    if (after == kLineBreak) {
        m_prev = Prev::LineBreak;
        finishLine();
    } else {
        m_prev = Prev::Other;
    }
    return true;
}

// Ordinary characters: the first one of a run does the work of the state machine, the rest of
// the run only extends the field.
BRIVEL_CSV_INLINE void CsvParser::ordinaryCharacter(std::size_t length) {
    if (m_state == State::BetweenLines) {
        if (m_buffer[m_pos] == '#') {
            setState(State::InComment);
            ++m_pos;
            shift(Prev::Other);
            return;
        }
        beginLine();
        if (stopped())
            return;
    }
    if (m_state == State::InField) {
        // A closing quote must be followed by the delimiter or the line end.
        if (m_prev == Prev::Quote && m_prevPrev != Prev::Backslash && m_balancedQuotes &&
            m_balancedEscapes) {
            formatError();
            return;
        }
        m_balancedEscapes = true;
    } else {
        beginField();
    }
    m_pos += length;
    shift(Prev::Other);
    continueRun();
}

BRIVEL_CSV_INLINE void CsvParser::quote() {
    if (m_state == State::BetweenLines) {
        beginLine();
        if (stopped())
            return;
    }
    if (m_state == State::InLine) {
        beginField();
        m_balancedQuotes = false;
    } else if (!m_balancedEscapes) {
        m_balancedEscapes = true; // an escaped quote
    } else {
        m_balancedQuotes = !m_balancedQuotes;
    }
    ++m_fieldQuotes;
    ++m_pos;
    shift(Prev::Quote);
    // After a quote that closes, the next character is checked on its own.
    if (!m_balancedQuotes && m_balancedEscapes && m_state == State::InField)
        continueRun();
}

void CsvParser::backslash() {
    if (m_state == State::BetweenLines) {
        beginLine();
        if (stopped())
            return;
    }
    if (m_state == State::InLine) {
        beginField();
        m_balancedEscapes = false;
    } else {
        m_balancedEscapes = !m_balancedEscapes;
    }
    ++m_fieldBackslashes;
    ++m_pos;
    shift(Prev::Backslash);
}

BRIVEL_CSV_INLINE void CsvParser::delimiterCharacter(std::size_t length) {
    if (m_state == State::BetweenLines) {
        beginLine();
        if (stopped())
            return;
    }
    bool text = false;
    if (m_state == State::InLine) {
        deliverField({}); // nothing since the last delimiter: an empty field
        if (stopped())
            return;
    } else if (!m_balancedEscapes) {
        m_balancedEscapes = true; // an escaped delimiter is text
        text = true;
    } else if (m_balancedQuotes) {
        finishFieldFromRaw(rawField());
        if (stopped())
            return;
    } else {
        text = true; // inside quotes
    }
    m_pos += length;
    shift(Prev::Other);
    if (text)
        continueRun();
}

BRIVEL_CSV_INLINE void CsvParser::lineBreak(std::size_t length) {
    bool text = false;
    if (m_prev == Prev::LineBreak) {
        // A line break right after another is field text, so that empty lines are absorbed
        // into the next line (and trimmed off its first field).
        if (m_state == State::BetweenLines) {
            beginLine();
            if (stopped())
                return;
        }
        if (m_state == State::InField)
            m_balancedEscapes = true;
        else
            beginField();
        text = true;
    } else if (m_balancedQuotes && m_balancedEscapes) {
        switch (m_state) {
        case State::InComment:
            setState(State::BetweenLines);
            break;
        case State::BetweenLines: // a line break first thing in the input
            beginLine();
            if (stopped())
                return;
            [[fallthrough]];
        case State::InLine: // after a delimiter: the line ends in an empty field
            deliverField({});
            if (stopped())
                return;
            finishLine();
            break;
        case State::InField:
            finishFieldFromRaw(rawField());
            if (stopped())
                return;
            finishLine();
            break;
        case State::Cancelled:
            return;
        }
        if (stopped())
            return;
    } else {
        // Text inside quotes, or after a backslash (whose escape still waits for a character).
        text = true;
    }
    m_pos += length;
    shift(Prev::LineBreak);
    if (text && m_balancedEscapes && m_state == State::InField)
        continueRun();
}

void CsvParser::carriageReturn() {
    // CR LF is one character, so it ends a line exactly as LF does.
    if (m_pos + 1 >= m_end && fill())
        return; // look again with the next byte at hand
    if (m_error)
        return;
    lineBreak(m_pos + 1 < m_end && m_buffer[m_pos + 1] == '\n' ? 2 : 1);
}

void CsvParser::nonAscii() {
    char32_t cp = 0;
    const int n = chars::decodeUtf8(m_buffer.get() + m_pos, m_end - m_pos, cp);
    if (n == 0) {
        if (fill())
            return; // look again with the rest of the character at hand
        if (!m_error)
            recordError(CsvErrorInput, kUndecodable); // the input ends inside a character
        return;
    }
    if (n < 0) {
        recordError(CsvErrorInput, kUndecodable);
        return;
    }
    const auto length = static_cast<std::size_t>(n);
    if (chars::isLineBreak(cp))
        lineBreak(length);
    else if (cp == m_delimiterCharacter)
        delimiterCharacter(length);
    else
        ordinaryCharacter(length);
}

// Drops a comment's characters up to its line break, which the caller then processes. Quotes
// and backslashes in a comment mean nothing.
void CsvParser::skipComment() {
    const char* text = m_buffer.get();
    const std::size_t start = m_pos;
    while (m_pos < m_end) {
        const auto c = static_cast<unsigned char>(text[m_pos]);
        if (c < 0x80) {
            if (c >= '\n' && c <= '\r')
                break;
            ++m_pos;
            continue;
        }
        char32_t cp = 0;
        const int n = chars::decodeUtf8(text + m_pos, m_end - m_pos, cp);
        if (n <= 0 || chars::isLineBreak(cp))
            break;
        m_pos += static_cast<std::size_t>(n);
    }
    if (m_pos > start) {
        m_prevPrev = Prev::Other;
        m_prev = Prev::Other;
    }
}

void CsvParser::runLoop() {
    while (!stopped()) {
        if (m_pos >= m_end && !fill())
            return;
        if (m_state == State::InComment) {
            skipComment();
            if (m_pos >= m_end)
                continue;
        }
        // Most frequent first: a branch each predicts better than one jump through a table.
        const std::uint8_t kind = m_classes[static_cast<unsigned char>(m_buffer[m_pos])];
        if (kind == kDelimiter)
            delimiterCharacter(1);
        else if (kind == kOrdinary && (m_state == State::InLine ||
                                       (m_state == State::BetweenLines && m_buffer[m_pos] != '#')))
            plainFields();
        else if (kind == kOrdinary)
            ordinaryCharacter(1);
        else if (kind == kQuote) {
            if (m_state == State::InField || !quotedField())
                quote();
        } else if (kind == kLineBreak)
            lineBreak(1);
        else if (kind == kNonAscii)
            nonAscii();
        else if (kind == kBackslash)
            backslash();
        else
            carriageReturn();
    }
}

void CsvParser::formatError() {
    // A message quotes at most the first 200 bytes of the field (cut at a character boundary):
    // a field can be megabytes long.
    constexpr std::size_t MaxQuoted = 200;
    std::string_view field = rawField();
    if (field.size() > MaxQuoted) {
        std::size_t cut = MaxQuoted;
        while (cut > 0 && (static_cast<unsigned char>(field[cut]) & 0xC0) == 0x80)
            --cut;
        field = field.substr(0, cut);
    }
    recordError(CsvErrorFormat,
                fmt::format("Invalid CSV format on line #{} immediately after \"{}\"",
                            m_currentLine, field));
}

void CsvParser::recordError(int code, std::string description,
                            const std::optional<std::string>& underlying) {
    if (m_error)
        return; // the first failure stands
    Error e;
    e.domain = CsvErrorDomain;
    e.code = code;
    e.localizedDescription = std::move(description);
    if (underlying)
        e.userInfo["NSUnderlyingError"] = *underlying;
    m_error = std::move(e);
}

} // namespace brivel::csv
