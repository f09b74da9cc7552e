#include "core/report/ReportQuery.h"

#include "core/platform/SystemLog.h"

namespace brivel::report {

using store::FetchRequest;
using store::Predicate;
using store::Value;

std::optional<FetchRequest> ReportQuery::fetchRequest(std::string_view ticker,
                                                      ReportType reportType, Date beginDate,
                                                      Date endDate) {
    auto between = [&](const char* key) {
        return Predicate::between(key, Value::date(beginDate), Value::date(endDate));
    };
    auto withTicker = [&](const char* dateKey) {
        if (ticker.empty())
            return between(dateKey);
        return Predicate::andOf(
            {Predicate::likeCD("ticker", std::string(ticker)), between(dateKey)});
    };

    FetchRequest request;
    switch (reportType) {
    case ReportType::JournalReport:
        request.entityName = "Log";
        request.predicate = between("date");
        request.sortDescriptors = {{"date", true}};
        break;
    case ReportType::NotesReport:
        request.entityName = "Note";
        request.predicate = withTicker("timestamp");
        request.sortDescriptors = {{"timestamp", true}};
        break;
    case ReportType::FlaggedNotesReport:
        request.entityName = "Note";
        request.predicate = Predicate::andOf(
            {Predicate::equal("flag", Value::boolean(true)), between("timestamp")});
        request.sortDescriptors = {{"timestamp", true}};
        break;
    case ReportType::TradesReport:
    case ReportType::TradeDetailsReport:
        request.entityName = "Trade";
        request.predicate = withTicker("date");
        request.sortDescriptors = {{"date", true}};
        break;
    default:
        return std::nullopt;
    }
    return request;
}

ReportQuery::Result ReportQuery::queryWithTicker(std::string_view ticker, ReportType reportType,
                                                 Date beginDate, Date endDate,
                                                 const store::ObjectContext& context) const {
    auto request = fetchRequest(ticker, reportType, beginDate, endDate);
    if (!request) {
        systemLog().log("Attempt to query unknown report type");
        return std::nullopt;
    }
    Error error;
    auto records = context.executeFetchRequest(*request, &error);
    if (!error.domain.empty())
        return std::nullopt;
    return records;
}

} // namespace brivel::report
