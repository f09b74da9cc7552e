#include "gui/stats/EquityCurveWidget.h"

#include "gui/stats/ResultColors.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace brivel::gui {

// Where the curve goes and how values and dates map into it.
struct EquityCurveWidget::Frame {
    QRectF plot;
    double minValue = 0, maxValue = 0;
    double firstTime = 0, lastTime = 0;

    double y(double value) const {
        const double span = maxValue - minValue;
        return plot.bottom() - (span > 0 ? (value - minValue) / span : 0.5) * plot.height();
    }
    // By time; when every trade closed at one instant, by position instead.
    double x(double time, std::size_t position, std::size_t count) const {
        if (lastTime > firstTime)
            return plot.left() + (time - firstTime) / (lastTime - firstTime) * plot.width();
        return plot.left() +
               static_cast<double>(position + 1) / static_cast<double>(count) * plot.width();
    }
};

EquityCurveWidget::EquityCurveWidget(const stats::StatsFormatter& formatter, QWidget* parent)
    : QWidget(parent), m_formatter(formatter) {
    setObjectName("equityCurve");
    setAccessibleName(tr("Equity curve"));
    setToolTip(tr("Cumulative net profit of the counted trades in close-date order, starting at "
                  "0. The shaded band is the maximum drawdown, from its peak to its low."));
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
}

void EquityCurveWidget::setResult(const stats::StatisticsResult* result) {
    m_result = result;
    update();
}

void EquityCurveWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_result || m_result->equity.empty()) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect(), Qt::AlignCenter,
                   tr("No closed trades in this selection.\nClose a trade or widen the range."));
        return;
    }
    const auto& equity = m_result->equity;
    Frame frame;
    const QFontMetrics fm(font());
    const double left = fm.horizontalAdvance(QString::fromStdString(m_formatter.money(-888888.88)));
    frame.plot =
        QRectF(left + 12, fm.height() + 8, width() - left - 24, height() - 2.5 * fm.height() - 14);
    frame.minValue = 0;
    frame.maxValue = 0;
    for (const auto& point : equity) {
        frame.minValue = std::min(frame.minValue, point.value);
        frame.maxValue = std::max(frame.maxValue, point.value);
    }
    const double pad = std::max(1.0, (frame.maxValue - frame.minValue) * 0.05);
    frame.minValue -= pad;
    frame.maxValue += pad;
    frame.firstTime = equity.front().date.secondsSince1970;
    frame.lastTime = equity.back().date.secondsSince1970;
    if (frame.plot.width() < 20 || frame.plot.height() < 20)
        return;
    paintAxes(p, frame);
    paintDrawdown(p, frame);
    paintCurve(p, frame);
}

void EquityCurveWidget::paintAxes(QPainter& p, const Frame& frame) const {
    const QColor text = palette().color(QPalette::Text);
    QColor grid = palette().color(QPalette::Mid);
    grid.setAlpha(90);
    const QFontMetrics fm(font());
    // Value lines at round steps (1, 2 or 5 times a power of ten), five or six of them.
    const double rough = (frame.maxValue - frame.minValue) / 6.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    double step = magnitude;
    for (double f : {2.0, 5.0, 10.0})
        if (rough > step)
            step = magnitude * f;
    for (double value = std::ceil(frame.minValue / step) * step; value <= frame.maxValue;
         value += step) {
        const double y = frame.y(value);
        p.setPen(QPen(grid, 1));
        p.drawLine(QPointF(frame.plot.left(), y), QPointF(frame.plot.right(), y));
        p.setPen(text);
        const QString label = QString::fromStdString(m_formatter.money(value));
        p.drawText(QRectF(0, y - fm.height() / 2.0, frame.plot.left() - 6, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, label);
    }
    p.setPen(QPen(text, 1, Qt::DashLine));
    p.drawLine(QPointF(frame.plot.left(), frame.y(0)), QPointF(frame.plot.right(), frame.y(0)));
    // The first and last close dates under the plot.
    const auto& equity = m_result->equity;
    const stats::LocalCalendar calendar;
    p.setPen(text);
    const double baseline = frame.plot.bottom() + 4;
    p.drawText(QRectF(frame.plot.left(), baseline, frame.plot.width() / 2, fm.height()),
               Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(m_formatter.day(calendar.dayOf(equity.front().date))));
    p.drawText(QRectF(frame.plot.center().x(), baseline, frame.plot.width() / 2, fm.height()),
               Qt::AlignRight | Qt::AlignTop,
               QString::fromStdString(m_formatter.day(calendar.dayOf(equity.back().date))));
}

void EquityCurveWidget::paintCurve(QPainter& p, const Frame& frame) const {
    const auto& equity = m_result->equity;
    const std::size_t n = equity.size();
    // At most a few points per pixel column (its first, lowest, highest and last value), so a
    // hundred thousand trades paint as fast as a hundred.
    QPolygonF line;
    line.reserve(
        static_cast<int>(std::min<std::size_t>(n, 4 * static_cast<std::size_t>(width())) + 2));
    line << QPointF(frame.x(frame.firstTime, 0, n), frame.y(0));
    std::size_t i = 0;
    while (i < n) {
        const double column = std::floor(frame.x(equity[i].date.secondsSince1970, i, n));
        double lo = equity[i].value, hi = lo;
        std::size_t loAt = i, hiAt = i, j = i + 1;
        while (j < n && std::floor(frame.x(equity[j].date.secondsSince1970, j, n)) == column) {
            if (equity[j].value < lo)
                lo = equity[j].value, loAt = j;
            if (equity[j].value > hi)
                hi = equity[j].value, hiAt = j;
            ++j;
        }
        line << QPointF(column, frame.y(equity[i].value));
        if (loAt < hiAt)
            line << QPointF(column, frame.y(lo)) << QPointF(column, frame.y(hi));
        else if (hiAt < loAt)
            line << QPointF(column, frame.y(hi)) << QPointF(column, frame.y(lo));
        line << QPointF(column, frame.y(equity[j - 1].value));
        i = j;
    }
    p.setPen(QPen(palette().color(QPalette::Highlight), 1.6));
    p.drawPolyline(line);
}

void EquityCurveWidget::paintDrawdown(QPainter& p, const Frame& frame) const {
    const auto& dd = m_result->figures.maxDrawdown;
    if (!dd || !dd->lowTrade)
        return;
    const auto& equity = m_result->equity;
    const std::size_t n = equity.size();
    const double peakValue = dd->peakTrade ? equity[*dd->peakTrade].value : 0.0;
    const double peakX =
        dd->peakTrade ? frame.x(equity[*dd->peakTrade].date.secondsSince1970, *dd->peakTrade, n)
                      : frame.x(frame.firstTime, 0, n);
    const auto& low = equity[*dd->lowTrade];
    const double lowX = frame.x(low.date.secondsSince1970, *dd->lowTrade, n);
    QColor band = lossColor();
    band.setAlpha(28);
    const QRectF shaded(QPointF(peakX, frame.y(peakValue)),
                        QPointF(std::max(lowX, peakX + 2), frame.y(low.value)));
    p.fillRect(shaded, band);

    const QFontMetrics fm(font());
    auto mark = [&](QPointF at, const QColor& color, const QString& label, bool above) {
        p.setPen(QPen(color.darker(140), 1.5));
        p.setBrush(color);
        p.drawEllipse(at, 4.5, 4.5);
        const double w = fm.horizontalAdvance(label) + 4;
        double x = std::clamp(at.x() - w / 2, 0.0, width() - w);
        const double y = above ? at.y() - fm.height() - 6 : at.y() + 6;
        p.setPen(palette().color(QPalette::Text));
        p.drawText(QRectF(x, y, w, fm.height()), Qt::AlignCenter, label);
    };
    mark(QPointF(peakX, frame.y(peakValue)), gainColor(), tr("Peak"), true);
    mark(QPointF(lowX, frame.y(low.value)), lossColor(),
         tr("Low (\u2212%1)").arg(QString::fromStdString(m_formatter.money(dd->amount))), false);
}

} // namespace brivel::gui
