brivel_add_gtest(brivel-report-tests
    SOURCES core/report/ReportTestSupport.cpp core/report/ReportQueryTest.cpp
            core/report/NotesIndexTest.cpp core/report/ReportFormatterTest.cpp
            core/report/TradeReportLayoutsTest.cpp core/report/RenderersTest.cpp
            core/report/MultiDateFormatterTest.cpp core/report/ReportGeneratorTest.cpp
            core/report/DefaultReportDatesTest.cpp core/report/ReportSnapshotTest.cpp
    DEPS brivel-core-report)

# brivel-cli report, run as a separate process.
if(TARGET brivel-cli)
    brivel_add_gtest(brivel-report-cli-tests
        SOURCES core/report/ReportCliTest.cpp
        DEPS brivel-core-platform)
    target_compile_definitions(brivel-report-cli-tests PRIVATE
        BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
    add_dependencies(brivel-report-cli-tests brivel-cli)
endif()
