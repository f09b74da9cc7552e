#include "core/report/ReportFormatter.h"

#include "core/model/Entities.h"
#include "core/platform/UserLocale.h"

#include <algorithm>
#include <unicode/calendar.h>
#include <unicode/datefmt.h>
#include <unicode/dcfmtsym.h>
#include <unicode/decimfmt.h>
#include <unicode/smpdtfmt.h>

namespace brivel::report {

// A date format with a calendar of its own to format through: DateFormat::format(UDate) copies
// its calendar (and time zone) on every call, which a report of 100,000 trades feels.
struct ReportFormatter::DateFormatting {
    std::unique_ptr<icu::DateFormat> format;
    std::unique_ptr<icu::Calendar> calendar;
    icu::UnicodeString buffer;

    explicit DateFormatting(icu::DateFormat* made) : format(made) {
        if (format)
            calendar.reset(format->getCalendar()->clone());
    }
};

namespace {

const SystemClock& defaultClock() {
    static const SystemClock clock;
    return clock;
}

std::unique_ptr<icu::DecimalFormat> decimalFormat(const char* pattern, const icu::Locale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    auto* symbols = new icu::DecimalFormatSymbols(locale, status);
    if (U_FAILURE(status)) {
        delete symbols;
        status = U_ZERO_ERROR;
        symbols = new icu::DecimalFormatSymbols(icu::Locale::getRoot(), status);
    }
    // The format adopts the symbols.
    auto format = std::make_unique<icu::DecimalFormat>(pattern, symbols, status);
    if (U_FAILURE(status))
        return nullptr;
    return format;
}

template <class Record>
std::vector<const Record*> recordsOf(const std::vector<store::ManagedObject*>& records) {
    std::vector<const Record*> out;
    out.reserve(records.size());
    for (auto* object : records)
        if (object && object->entityName() == Record::entityName())
            out.push_back(static_cast<const Record*>(object));
    return out;
}

// Absent first, then by value, then in the store's order: the same order a fetch gives.
template <class T>
bool lessOptional(const std::optional<T>& a, const std::optional<T>& b, store::ObjectID ida,
                  store::ObjectID idb) {
    if (a.has_value() != b.has_value())
        return !a.has_value();
    if (a && *a != *b)
        return *a < *b;
    return ida < idb;
}

} // namespace

ReportFormatter::ReportFormatter(StrategySource strategies, const Clock* clock)
    : m_strategies(std::move(strategies)), m_clock(clock ? clock : &defaultClock()) {
    setAttributes();
}

ReportFormatter::~ReportFormatter() = default;

void ReportFormatter::setClock(const Clock* clock) {
    m_clock = clock ? clock : &defaultClock();
}

void ReportFormatter::setAttributes() {
    const icu::Locale locale = userLocale(LocaleCategory::Time);
    const std::unique_ptr<icu::TimeZone> zone = userTimeZone();

    auto withZone = [&](icu::DateFormat* format) {
        if (format)
            format->setTimeZone(*zone);
        return std::make_unique<DateFormatting>(format);
    };
    m_dateTime = withZone(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kShort,
                                                                  icu::DateFormat::kShort, locale));
    m_dateOnly = withZone(icu::DateFormat::createDateInstance(icu::DateFormat::kShort, locale));
    UErrorCode status = U_ZERO_ERROR;
    auto* longDate =
        new icu::SimpleDateFormat(icu::UnicodeString(u"EEEE - MMMM d, yyyy"), locale, status);
    if (U_FAILURE(status)) {
        delete longDate;
        longDate = nullptr;
    }
    m_longDate = withZone(longDate);
    const icu::Locale numbers = userLocale(LocaleCategory::Numeric);
    m_number = decimalFormat("#,###", numbers);
    m_decimal = decimalFormat("#,###.00", numbers);
}

void ReportFormatter::appendDate(DateFormatting& formatting, Date date, std::string& out) {
    if (!formatting.format)
        return;
    UErrorCode status = U_ZERO_ERROR;
    formatting.calendar->setTime(date.secondsSince1970 * 1000.0, status);
    formatting.buffer.remove();
    icu::FieldPosition position;
    formatting.format->format(*formatting.calendar, formatting.buffer, position);
    appendUtf8(formatting.buffer, out);
}

void ReportFormatter::appendNumber(const icu::DecimalFormat* format, double value,
                                   std::string& out) {
    if (!format)
        return;
    icu::UnicodeString text;
    format->format(value, text);
    appendUtf8(text, out);
}

std::string ReportFormatter::dateFormatter(Date date) {
    std::string out;
    appendDate(*m_dateTime, date, out);
    return out;
}

std::string ReportFormatter::dateOnlyFormatter(Date date) {
    std::string out;
    appendDate(*m_dateOnly, date, out);
    return out;
}

std::string ReportFormatter::longDateFormatter(Date date) {
    std::string out;
    appendDate(*m_longDate, date, out);
    return out;
}

std::string ReportFormatter::numberFormatter(double value) {
    std::string out;
    appendNumber(m_number.get(), value, out);
    return out;
}

std::string ReportFormatter::decimalNumberFormatter(double value) {
    std::string out;
    appendNumber(m_decimal.get(), value, out);
    return out;
}

StyledText ReportFormatter::newScreenReport(const std::vector<store::ManagedObject*>& records,
                                            ReportType type, const store::ObjectContext& context) {
    StyledText out;
    switch (type) {
    case ReportType::JournalReport:
        appendJournal(records, out);
        break;
    case ReportType::NotesReport:
        appendNoteList(records, true, out);
        break;
    case ReportType::FlaggedNotesReport:
        // Every note here is flagged: highlighting them all would say nothing.
        appendNoteList(records, false, out);
        break;
    case ReportType::TradesReport:
        appendTrades(records, false, context, out);
        break;
    case ReportType::TradeDetailsReport:
        appendTrades(records, true, context, out);
        break;
    default:
        break; // the query has logged the unknown code already
    }
    return out;
}

void ReportFormatter::appendJournal(const std::vector<store::ManagedObject*>& records,
                                    StyledText& out) {
    for (const model::Log* log : recordsOf<model::Log>(records)) {
        m_scratch.clear();
        if (auto date = log->date())
            appendDate(*m_longDate, *date, m_scratch);
        else
            m_scratch += MissingDate;
        m_scratch += '\n';
        out.append(m_scratch, TextStyle::Date);

        auto barriers = log->priceBarrier();
        std::vector<std::pair<std::optional<std::string>, model::PriceBarrier*>> sorted;
        sorted.reserve(barriers.size());
        for (auto* barrier : barriers)
            sorted.emplace_back(barrier->ticker(), barrier);
        // Plain byte order: upper case before lower case, so "DOW" comes before "Dow".
        std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
            return lessOptional(a.first, b.first, a.second->objectID(), b.second->objectID());
        });
        for (const auto& [ticker, barrier] : sorted) {
            out.append(ticker ? std::string_view(*ticker) : MissingTicker, TextStyle::HeaderKey);
            m_scratch.clear();
            m_scratch += ' ';
            appendNumber(m_number.get(), barrier->supportValue(), m_scratch);
            m_scratch += " /  ";
            appendNumber(m_number.get(), barrier->resistanceValue(), m_scratch);
            m_scratch += "    ";
            out.append(m_scratch, TextStyle::HeaderValue);
        }
        out.append("\n", TextStyle::HeaderValue);

        auto notes = log->note();
        std::vector<std::pair<std::optional<Date>, model::Note*>> byTime;
        byTime.reserve(notes.size());
        for (auto* note : notes)
            byTime.emplace_back(note->timestamp(), note);
        std::sort(byTime.begin(), byTime.end(), [](const auto& a, const auto& b) {
            return lessOptional(a.first, b.first, a.second->objectID(), b.second->objectID());
        });
        for (const auto& entry : byTime)
            appendNoteLine(*entry.second, true, out);

        out.append("\n", TextStyle::Date);
    }
}

void ReportFormatter::appendNoteList(const std::vector<store::ManagedObject*>& records,
                                     bool highlightFlagged, StyledText& out) {
    for (const model::Note* note : recordsOf<model::Note>(records))
        appendNoteLine(*note, highlightFlagged, out);
}

void ReportFormatter::appendNoteLine(const model::Note& note, bool highlightFlagged,
                                     StyledText& out) {
    m_scratch.clear();
    if (auto timestamp = note.timestamp())
        appendDate(*m_dateTime, *timestamp, m_scratch);
    else
        m_scratch += MissingDate;
    m_scratch += ": ";
    auto ticker = note.ticker();
    m_scratch += ticker ? std::string_view(*ticker) : MissingTicker;
    m_scratch += " - ";
    auto comment = note.comment();
    m_scratch += comment ? std::string_view(*comment) : MissingComment;
    m_scratch += '\n';
    out.append(m_scratch,
               highlightFlagged && note.flagValue() ? TextStyle::FlaggedNote : TextStyle::Note);
}

} // namespace brivel::report
