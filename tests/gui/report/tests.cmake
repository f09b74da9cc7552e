# Qt tests of src/gui/report, one executable per tested class (brivel_add_qtest).
brivel_add_qtest(ReportViewTest SOURCES gui/report/ReportViewTest.cpp
    gui/support/ViewTestAccount.cpp gui/support/ViewTestAccount.h)
brivel_add_qtest(ReportDocumentFillerTest SOURCES gui/report/ReportDocumentFillerTest.cpp)
