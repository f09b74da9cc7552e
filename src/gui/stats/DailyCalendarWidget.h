#pragma once

#ifndef Q_MOC_RUN
#include "core/stats/StatisticsResult.h"
#include "core/stats/StatsFormatter.h"
#endif

#include <QHash>
#include <QList>
#include <QWidget>
#include <optional>

class QPainter;

namespace brivel::gui {

// A month-by-month calendar of daily net results, newest month first: days with a gain in the
// trade list's gain colour, losses in its loss colour, stronger for larger amounts. It reads the
// statistics view's current result and keeps only an index of its days.
class DailyCalendarWidget : public QWidget {
    Q_OBJECT
public:
    DailyCalendarWidget(const stats::StatsFormatter& formatter, QWidget* parent = nullptr);

    // Null shows nothing. Lays the months out again and repaints.
    void setResult(const stats::StatisticsResult* result);

    // The day result under a point, if any (for tests and tooltips).
    const stats::DailyResult* dayAt(QPoint point) const;
    // Where a day is drawn (for tests); empty when it is not shown.
    QRect rectOfDay(stats::CivilDay day) const;

    QSize sizeHint() const override;

signals:
    // A day with trades was double-clicked: its trades' identifiers.
    void dayActivated(const QList<qint64>& tradeIds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Months, newest first, as months since year 0.
    int monthCount() const;
    long long monthAt(int index) const;
    int columns() const;
    QRect monthRect(int index) const;
    void updateHeight();
    void paintMonth(QPainter& p, int index) const;
    QColor colorFor(double netProfit) const;

    const stats::StatsFormatter& m_formatter;
    const stats::StatisticsResult* m_result = nullptr;
    // Days since 1970 -> position in the result's daily list.
    QHash<long long, int> m_dayIndex;
    long long m_firstMonth = 0, m_lastMonth = -1;
    double m_largest = 0;
};

} // namespace brivel::gui
