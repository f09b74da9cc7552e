#pragma once

#ifndef Q_MOC_RUN
#include "core/stats/StatisticsResult.h"
#include "core/stats/StatsFormatter.h"
#endif

#include <QWidget>

class QPainter;

namespace brivel::gui {

// Draws the equity curve (cumulative net profit, from 0 before the first trade) against the
// close dates, with the maximum drawdown's peak and low marked and the fall between them shaded.
// It reads the statistics view's current result and keeps no copy of it.
class EquityCurveWidget : public QWidget {
    Q_OBJECT
public:
    EquityCurveWidget(const stats::StatsFormatter& formatter, QWidget* parent = nullptr);

    // Null shows the empty state. Repaints.
    void setResult(const stats::StatisticsResult* result);

    QSize sizeHint() const override { return {520, 240}; }
    QSize minimumSizeHint() const override { return {240, 140}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Frame;
    void paintAxes(QPainter& p, const Frame& frame) const;
    void paintCurve(QPainter& p, const Frame& frame) const;
    void paintDrawdown(QPainter& p, const Frame& frame) const;

    const stats::StatsFormatter& m_formatter;
    const stats::StatisticsResult* m_result = nullptr;
};

} // namespace brivel::gui
