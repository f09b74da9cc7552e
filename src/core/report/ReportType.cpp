#include "core/report/ReportType.h"

#include <array>
#include <utility>

namespace brivel::report {

std::optional<ReportType> reportTypeFromName(std::string_view name) {
    static constexpr std::array<std::pair<std::string_view, ReportType>, 10> names{{
        {"journal", ReportType::JournalReport},
        {"notes", ReportType::NotesReport},
        {"flagged", ReportType::FlaggedNotesReport},
        {"trades", ReportType::TradesReport},
        {"details", ReportType::TradeDetailsReport},
        {"1", ReportType::JournalReport},
        {"2", ReportType::NotesReport},
        {"3", ReportType::FlaggedNotesReport},
        {"4", ReportType::TradesReport},
        {"5", ReportType::TradeDetailsReport},
    }};
    for (const auto& [text, type] : names)
        if (text == name)
            return type;
    return std::nullopt;
}

} // namespace brivel::report
