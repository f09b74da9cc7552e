#include "core/report/ReportGenerator.h"

#include "core/platform/SystemLog.h"
#include "core/report/ReportQuery.h"

namespace brivel::report {

StyledText generateReport(const ReportRequest& request, const store::ObjectContext& context,
                          ReportFormatter& formatter) {
    auto records = ReportQuery().queryWithTicker(request.ticker, request.type, request.beginDate,
                                                 request.endDate, context);
    if (!records || records->empty()) {
        systemLog().log("Empty query array");
        return StyledText::plain(EmptyResultText);
    }
    return formatter.newScreenReport(*records, request.type, context);
}

} // namespace brivel::report
