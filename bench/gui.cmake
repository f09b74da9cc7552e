# The report view's benchmark: a Qt program run offscreen, not a Google Benchmark.
if(TARGET brivel-gui-lib)
    add_executable(brivel-report-view-bench gui/ReportViewBench.cpp)
    target_link_libraries(brivel-report-view-bench PRIVATE brivel-bench-generator brivel-gui-lib)
    brivel_warnings(brivel-report-view-bench)
endif()
