#pragma once

#include "core/platform/Clock.h"
#include "core/platform/Date.h"
#include "core/report/ReportType.h"
#include "core/report/StyledText.h"
#include "core/store/ObjectContext.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unicode/uversion.h>
#include <vector>

U_NAMESPACE_BEGIN
class DecimalFormat;
U_NAMESPACE_END

namespace brivel::model {
class Log;
class Note;
class Trade;
} // namespace brivel::model

namespace brivel::report {

class NotesIndex;

// The markers printed where a record lacks a value.
inline constexpr std::string_view MissingTicker = "!!! MISSING TICKER !!!";
inline constexpr std::string_view MissingComment = "!!! MISSING COMMENT !!!";
inline constexpr std::string_view MissingDescription = "!!! MISSING DESCRIPTION !!!";
// Our own, in the same manner: a date the layout needs but the record lacks, and a trade whose
// strategy position names no entry with a name in the strategy list.
inline constexpr std::string_view MissingDate = "!!! MISSING DATE !!!";
inline constexpr std::string_view MissingStrategy = "!!! MISSING STRATEGY !!!";

// The names of the strategies, position by position, as the preference list "arrayOfStrategies"
// holds them (the "strategy" value of each entry; nothing where an entry has none).
using StrategyList = std::vector<std::optional<std::string>>;
// Read anew for every report, so that a change of the preferences shows in the next one.
using StrategySource = std::function<StrategyList()>;

// Renders the records of a report query as styled text: the journal layout (code 1), the note
// list (2, 3) and the trade layouts (4, 5). Dates and numbers follow the user's locale and time
// zone as the environment gives them when setAttributes runs. Main thread only.
//
// Absent values: a missing ticker, comment, description, date or strategy prints its marker;
// an absent number (profit, shares, price, commission, support, resistance) reads as 0, as the
// scalar accessors read it. A trade without orders shows its own date on the date line and takes
// it as the entry for the notes of a details block. A chart image is attached only when its
// stored name resolves to a file in the account's folder.
class ReportFormatter {
public:
    // Configures everything (setAttributes). Without a clock the system clock gives "now" (the
    // end of an open trade's notes window).
    explicit ReportFormatter(StrategySource strategies = {}, const Clock* clock = nullptr);
    ~ReportFormatter();
    ReportFormatter(const ReportFormatter&) = delete;
    ReportFormatter& operator=(const ReportFormatter&) = delete;

    // (Re)creates the five formatters from the current locale and time zone.
    void setAttributes();
    void setStrategySource(StrategySource strategies) { m_strategies = std::move(strategies); }
    void setClock(const Clock* clock);

    // The report of records (as the report query returned them for this same type) in the
    // account's context. Records are taken in the order given; an unknown code gives an empty
    // text. Records of another entity than the type's are skipped.
    StyledText newScreenReport(const std::vector<store::ManagedObject*>& records, ReportType type,
                               const store::ObjectContext& context);

    // The five formatters, for the layouts and for anyone who must print the same way.
    std::string dateFormatter(Date date);             // short date, short time: note lines
    std::string dateOnlyFormatter(Date date);         // short date: first and last order dates
    std::string longDateFormatter(Date date);         // "EEEE - MMMM d, yyyy": log headings
    std::string numberFormatter(double value);        // "#,###": support and resistance
    std::string decimalNumberFormatter(double value); // "#,###.00": profit, prices, commissions

private:
    struct DateFormatting;

    void appendDate(DateFormatting& formatting, Date date, std::string& out);
    void appendNumber(const icu::DecimalFormat* format, double value, std::string& out);

    void appendJournal(const std::vector<store::ManagedObject*>& records, StyledText& out);
    void appendNoteList(const std::vector<store::ManagedObject*>& records, bool highlightFlagged,
                        StyledText& out);
    void appendNoteLine(const model::Note& note, bool highlightFlagged, StyledText& out);
    void appendTrades(const std::vector<store::ManagedObject*>& records, bool details,
                      const store::ObjectContext& context, StyledText& out);
    void appendTradeSummary(const model::Trade& trade, const StrategyList& strategies,
                            std::optional<Date>& firstOrderDate, std::optional<Date>& lastOrderDate,
                            StyledText& out);
    void appendTradeDetails(const model::Trade& trade, std::optional<Date> firstOrderDate,
                            std::optional<Date> lastOrderDate, const NotesIndex& notes,
                            const store::ObjectContext& context, StyledText& out);
    void appendChartImage(const std::optional<std::string>& storedName,
                          const store::ObjectContext& context, StyledText& out);

    StrategySource m_strategies;
    const Clock* m_clock = nullptr;
    std::unique_ptr<DateFormatting> m_dateTime;
    std::unique_ptr<DateFormatting> m_dateOnly;
    std::unique_ptr<DateFormatting> m_longDate;
    std::unique_ptr<icu::DecimalFormat> m_number;
    std::unique_ptr<icu::DecimalFormat> m_decimal;
    std::string m_scratch;
};

} // namespace brivel::report
