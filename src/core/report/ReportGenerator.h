#pragma once

#include "core/platform/Date.h"
#include "core/report/ReportFormatter.h"
#include "core/report/ReportType.h"
#include "core/report/StyledText.h"
#include "core/store/ObjectContext.h"

#include <string>
#include <string_view>

namespace brivel::report {

// What the report view shows when a query finds nothing, without attributes.
inline constexpr std::string_view EmptyResultText =
    "Your query returned 0 results. Please check your query and try again.";

struct ReportRequest {
    ReportType type = ReportType::JournalReport;
    std::string ticker; // empty: no ticker filter
    Date beginDate;
    Date endDate;
};

// The whole road of one report as the report view and brivel-cli take it: the query, then the
// formatter; when the query gives no records (or none at all: an unknown type, a failed fetch)
// the line "Empty query array" goes to the system log and the report is EmptyResultText.
StyledText generateReport(const ReportRequest& request, const store::ObjectContext& context,
                          ReportFormatter& formatter);

} // namespace brivel::report
