brivel_add_gtest(brivel-report-tests
    SOURCES core/report/ReportTestSupport.cpp core/report/ReportQueryTest.cpp
            core/report/NotesIndexTest.cpp core/report/ReportFormatterTest.cpp
            core/report/RenderersTest.cpp core/report/MultiDateFormatterTest.cpp
            core/report/DefaultReportDatesTest.cpp core/report/ReportSnapshotTest.cpp
    DEPS brivel-core-report)
