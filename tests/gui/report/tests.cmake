# Qt tests of src/gui/report, one executable per tested class (brivel_add_qtest).
brivel_add_qtest(ReportViewTest SOURCES gui/report/ReportViewTest.cpp
    gui/support/ViewTestAccount.cpp gui/support/ViewTestAccount.h)

# Not a test: renders the journal and report views to PNG files for looking at them.
add_executable(brivel-journal-report-screenshots gui/screenshots/JournalReportScreenshots.cpp
    gui/support/ViewTestAccount.cpp gui/support/ViewTestAccount.h)
set_target_properties(brivel-journal-report-screenshots PROPERTIES AUTOMOC ON)
target_link_libraries(brivel-journal-report-screenshots PRIVATE brivel-gui-lib brivel-test-support)
brivel_warnings(brivel-journal-report-screenshots)
brivel_add_qtest(ReportDocumentFillerTest SOURCES gui/report/ReportDocumentFillerTest.cpp)
