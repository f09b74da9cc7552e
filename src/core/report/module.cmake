brivel_core_module(report
    SOURCES report/ReportType.cpp report/ReportQuery.cpp
            report/NotesIndex.cpp report/StyledText.cpp report/PlainTextRenderer.cpp
            report/HtmlRenderer.cpp report/ReportFormatter.cpp report/TradeReportLayouts.cpp
            report/ReportGenerator.cpp report/MultiDateFormatter.cpp
            report/DefaultReportDates.cpp report/ReportSnapshot.cpp
            report/ReportSnapshotCapture.cpp
    DEPS brivel-core-model ICU::uc ICU::i18n
    PRIVATE_DEPS fmt::fmt)
