brivel_add_gtest(brivel-stats-tests
    SOURCES core/stats/TradeStatisticsTest.cpp
    DEPS brivel-core-stats)
