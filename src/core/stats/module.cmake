# Trade statistics: figures, equity curve, daily results, breakdowns.
brivel_core_module(stats
    SOURCES stats/Figures.cpp stats/LocalCalendar.cpp stats/StatsFilter.cpp stats/Breakdown.cpp
            stats/TradeStatistics.cpp stats/StatsFormatter.cpp
    DEPS brivel-core-model
    PRIVATE_DEPS fmt::fmt)
