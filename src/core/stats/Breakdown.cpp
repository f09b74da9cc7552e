#include "core/stats/Breakdown.h"

#include <array>

namespace brivel::stats {

namespace {
constexpr std::array<std::string_view, 4> KindNames{"strategy", "ticker", "month", "weekday"};
constexpr std::array<std::string_view, 7> WeekdayNames{
    "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
} // namespace

std::string_view breakdownKindName(BreakdownKind kind) {
    return KindNames[static_cast<std::size_t>(kind)];
}

std::optional<BreakdownKind> breakdownKindFromName(std::string_view name) {
    for (std::size_t i = 0; i < KindNames.size(); ++i)
        if (KindNames[i] == name)
            return static_cast<BreakdownKind>(i);
    return std::nullopt;
}

std::string_view weekdayName(int weekday) {
    return weekday >= 1 && weekday <= 7 ? WeekdayNames[static_cast<std::size_t>(weekday - 1)]
                                        : std::string_view();
}

} // namespace brivel::stats
