#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace brivel::report {

// The report type codes. They are the positions of the items in the report view's type menu, so
// the view hands the selected index over unchanged; any other value (0, -1, 6, ...) names no
// report and is still a legal ReportType value.
enum class ReportType : std::int32_t {
    JournalReport = 1,
    NotesReport = 2,
    FlaggedNotesReport = 3,
    TradesReport = 4,
    TradeDetailsReport = 5,
};

inline constexpr bool isKnownReportType(ReportType type) {
    const auto code = static_cast<std::int32_t>(type);
    return code >= 1 && code <= 5;
}

// The command-line names: "journal", "notes", "flagged", "trades", "details", or the codes "1" to
// "5". Nothing for anything else.
std::optional<ReportType> reportTypeFromName(std::string_view name);

} // namespace brivel::report
