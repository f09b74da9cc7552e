# Sources of this folder, added to brivel-gui-lib.
find_package(Qt6 REQUIRED COMPONENTS PrintSupport)
target_sources(brivel-gui-lib PRIVATE
    report/ReportView.cpp report/ReportView.h
    report/ReportGeneration.cpp report/ReportGeneration.h
    report/ReportDocumentFiller.cpp report/ReportDocumentFiller.h
    report/FindBar.cpp report/FindBar.h)
target_link_libraries(brivel-gui-lib PUBLIC Qt6::PrintSupport)
