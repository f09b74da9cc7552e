add_executable(brivel-report-bench report/ReportBench.cpp)
target_link_libraries(brivel-report-bench PRIVATE brivel-bench-generator brivel-core-report
    benchmark::benchmark)
brivel_warnings(brivel-report-bench)
