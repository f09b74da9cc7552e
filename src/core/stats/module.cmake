# Trade statistics: figures, drawdown, runs, equity curve, daily results and breakdowns.
brivel_core_module(stats
    SOURCES stats/Figures.cpp stats/LocalCalendar.cpp stats/StatsFilter.cpp stats/Breakdown.cpp
            stats/TradeStatistics.cpp stats/StatsFormatter.cpp
    DEPS brivel-core-model ICU::uc ICU::i18n
    PRIVATE_DEPS fmt::fmt)
