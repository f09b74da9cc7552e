# Sources of this folder, added to brivel-gui-lib.
target_sources(brivel-gui-lib PRIVATE
    stats/StatisticsView.cpp stats/StatisticsView.h stats/BreakdownModel.cpp stats/BreakdownModel.h
    stats/EquityCurveWidget.cpp stats/EquityCurveWidget.h stats/DailyCalendarWidget.cpp
    stats/DailyCalendarWidget.h stats/ResultColors.h)
