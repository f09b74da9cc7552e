# Qt tests of src/gui/stats, one executable per tested class (brivel_add_qtest).
brivel_add_qtest(StatisticsViewTest SOURCES gui/stats/StatisticsViewTest.cpp)

# The view over a generated account, rendered to a PNG for the screenshots script. It builds the
# benchmarks' account generator itself: bench/ is configured after the tests.
add_executable(brivel-stats-screenshot gui/stats/StatisticsViewScreenshot.cpp
    ${PROJECT_SOURCE_DIR}/bench/support/AccountGenerator.cpp)
target_include_directories(brivel-stats-screenshot PRIVATE ${PROJECT_SOURCE_DIR}/bench)
target_link_libraries(brivel-stats-screenshot PRIVATE brivel-gui-lib brivel-test-support)
brivel_warnings(brivel-stats-screenshot)
