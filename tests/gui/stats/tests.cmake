# Qt tests of src/gui/stats, one executable per tested class (brivel_add_qtest).
brivel_add_qtest(StatisticsViewTest SOURCES gui/stats/StatisticsViewTest.cpp
    gui/support/ViewTestAccount.cpp gui/support/ViewTestAccount.h)
