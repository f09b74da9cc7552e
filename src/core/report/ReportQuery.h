#pragma once

#include "core/platform/Date.h"
#include "core/report/ReportType.h"
#include "core/store/ObjectContext.h"

#include <optional>
#include <string_view>
#include <vector>

namespace brivel::report {

// Turns one report request into a fetch against an account's records.
//
//   1 JournalReport       Log   date between {begin, end}                        by date
//   2 NotesReport         Note  [ticker like[cd] T AND] timestamp between {b, e}  by timestamp
//   3 FlaggedNotesReport  Note  flag == TRUE AND timestamp between {b, e}         by timestamp
//   4 TradesReport        Trade [ticker like[cd] T AND] date between {b, e}       by date
//   5 TradeDetailsReport  as 4
//
// The ticker takes part only for 2, 4 and 5 and only when it is not empty. Both ends of the range
// are included; nothing moves them to day boundaries. Equal sort keys keep the store's order.
class ReportQuery {
public:
    using Result = std::optional<std::vector<store::ManagedObject*>>;

    // The records of the report in report order; nothing for a code that names no report (after
    // the log line "Attempt to query unknown report type") or for a failed fetch. Callers treat
    // nothing like an empty result.
    Result queryWithTicker(std::string_view ticker, ReportType reportType, Date beginDate,
                           Date endDate, const store::ObjectContext& context) const;

    // The fetch the query makes; nothing for an unknown code. Logs nothing.
    static std::optional<store::FetchRequest>
    fetchRequest(std::string_view ticker, ReportType reportType, Date beginDate, Date endDate);
};

} // namespace brivel::report
