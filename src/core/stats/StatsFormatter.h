#pragma once

#include "core/stats/Figures.h"
#include "core/stats/LocalCalendar.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brivel::stats {

// One figure as people read it: its label, its value in the user's locale, and how it is worked
// out (the view's tooltip, the command's help).
struct FigureRow {
    std::string key; // the JSON key
    std::string label;
    std::string value; // "–" when the figure does not exist
    std::string definition;
};

// Formats the figures with the user's locale and time zone, as the reports do: money in the
// locale's currency style, rates as percentages, durations as days, hours and minutes.
class StatsFormatter {
public:
    StatsFormatter();
    ~StatsFormatter();
    StatsFormatter(const StatsFormatter&) = delete;
    StatsFormatter& operator=(const StatsFormatter&) = delete;

    std::string money(double amount) const;
    std::string percent(double fraction) const;
    std::string ratio(double value) const;
    std::string count(std::size_t n) const;
    // "3d 4h", "5h 30m", "12m", "40s".
    static std::string duration(double seconds);
    // Short date and time.
    std::string dateTime(Date date) const;
    // The medium date of a calendar day.
    std::string day(CivilDay day) const;

    // The figures in reading order, formatted.
    std::vector<FigureRow> rows(const Figures& figures) const;

    // The definitions alone, in the same order, for help texts.
    static std::vector<FigureRow> definitions();

    // The text for a figure that does not exist.
    static constexpr std::string_view None = "\u2013";

private:
    struct Formats;
    std::unique_ptr<Formats> m_formats;
};

} // namespace brivel::stats
