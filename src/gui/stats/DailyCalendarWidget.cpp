#include "gui/stats/DailyCalendarWidget.h"

#include "gui/stats/ResultColors.h"

#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace brivel::gui {

namespace {

constexpr int Cell = 22;
constexpr int Gap = 14;
constexpr int Header = 36; // month title and weekday initials
constexpr int MonthWidth = 7 * Cell;
constexpr int MonthHeight = Header + 6 * Cell;

long long monthOf(stats::CivilDay d) {
    return static_cast<long long>(d.year) * 12 + d.month - 1;
}

stats::CivilDay firstDayOf(long long month) {
    return {static_cast<int>(month / 12), static_cast<int>(month % 12) + 1, 1};
}

int daysInMonth(long long month) {
    const long long next = stats::LocalCalendar::daysFromCivil(firstDayOf(month + 1));
    return static_cast<int>(next - stats::LocalCalendar::daysFromCivil(firstDayOf(month)));
}

} // namespace

DailyCalendarWidget::DailyCalendarWidget(const stats::StatsFormatter& formatter, QWidget* parent)
    : QWidget(parent), m_formatter(formatter) {
    setObjectName("dailyCalendar");
    setAccessibleName(tr("Calendar of daily results"));
    setMouseTracking(false);
}

void DailyCalendarWidget::setResult(const stats::StatisticsResult* result) {
    m_result = result;
    m_dayIndex.clear();
    m_largest = 0;
    m_firstMonth = 0;
    m_lastMonth = -1;
    if (result && !result->daily.empty()) {
        for (int i = 0; i < static_cast<int>(result->daily.size()); ++i) {
            const auto& d = result->daily[static_cast<std::size_t>(i)];
            m_dayIndex.insert(stats::LocalCalendar::daysFromCivil(d.day), i);
            m_largest = std::max(m_largest, std::fabs(d.netProfit));
        }
        m_firstMonth = monthOf(result->daily.front().day);
        m_lastMonth = monthOf(result->daily.back().day);
    }
    updateHeight();
    update();
}

int DailyCalendarWidget::monthCount() const {
    return static_cast<int>(m_lastMonth - m_firstMonth + 1);
}

long long DailyCalendarWidget::monthAt(int index) const {
    return m_lastMonth - index;
}

int DailyCalendarWidget::columns() const {
    return std::max(1, (width() - Gap) / (MonthWidth + Gap));
}

QRect DailyCalendarWidget::monthRect(int index) const {
    const int cols = columns();
    return {Gap + (index % cols) * (MonthWidth + Gap), Gap + (index / cols) * (MonthHeight + Gap),
            MonthWidth, MonthHeight};
}

QSize DailyCalendarWidget::sizeHint() const {
    return {3 * (MonthWidth + Gap) + Gap, MonthHeight + 2 * Gap};
}

void DailyCalendarWidget::updateHeight() {
    const int rows = (std::max(monthCount(), 1) + columns() - 1) / columns();
    const int height = Gap + rows * (MonthHeight + Gap);
    if (minimumHeight() != height)
        setMinimumHeight(height);
}

void DailyCalendarWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateHeight();
}

QColor DailyCalendarWidget::colorFor(double netProfit) const {
    const int sign = stats::resultSign(netProfit);
    if (sign == 0)
        return palette().color(QPalette::Midlight);
    QColor c = sign > 0 ? gainColor() : lossColor();
    // Stronger for larger amounts, never so faint that the sign is lost.
    const double share = m_largest > 0 ? std::sqrt(std::fabs(netProfit) / m_largest) : 1.0;
    c.setAlphaF(static_cast<float>(0.35 + 0.65 * std::clamp(share, 0.0, 1.0)));
    return c;
}

void DailyCalendarWidget::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (monthCount() <= 0) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect(), Qt::AlignCenter, tr("No trading days in this selection."));
        return;
    }
    for (int i = 0; i < monthCount(); ++i)
        if (monthRect(i).intersects(event->rect()))
            paintMonth(p, i);
}

void DailyCalendarWidget::paintMonth(QPainter& p, int index) const {
    const QRect r = monthRect(index);
    const long long month = monthAt(index);
    const stats::CivilDay first = firstDayOf(month);
    const QLocale locale;
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(palette().color(QPalette::Text));
    p.drawText(QRect(r.left(), r.top(), r.width(), 18), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("%1 %2").arg(locale.standaloneMonthName(first.month),
                                           QString::number(first.year)));
    p.setFont(font());
    p.setPen(palette().color(QPalette::PlaceholderText));
    for (int wd = 1; wd <= 7; ++wd)
        p.drawText(QRect(r.left() + (wd - 1) * Cell, r.top() + 18, Cell, 16), Qt::AlignCenter,
                   locale.dayName(wd, QLocale::NarrowFormat));
    const int lead = stats::LocalCalendar::weekdayOfDay(first) - 1;
    const long long firstDays = stats::LocalCalendar::daysFromCivil(first);
    QFont small = font();
    small.setPointSizeF(std::max(6.0, font().pointSizeF() * 0.85));
    p.setFont(small);
    for (int d = 0; d < daysInMonth(month); ++d) {
        const int slot = lead + d;
        const QRect cell(r.left() + (slot % 7) * Cell, r.top() + Header + (slot / 7) * Cell, Cell,
                         Cell);
        const auto it = m_dayIndex.constFind(firstDays + d);
        QColor textColor = palette().color(QPalette::PlaceholderText);
        if (it != m_dayIndex.constEnd()) {
            const auto& day = m_result->daily[static_cast<std::size_t>(*it)];
            const QColor fill = colorFor(day.netProfit);
            p.setPen(Qt::NoPen);
            p.setBrush(fill);
            p.drawRoundedRect(QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
            textColor = fill.alphaF() > 0.6 && stats::resultSign(day.netProfit) != 0
                            ? QColor(Qt::white)
                            : palette().color(QPalette::Text);
        }
        p.setPen(textColor);
        p.drawText(cell, Qt::AlignCenter, QString::number(d + 1));
    }
    p.setFont(font());
}

const stats::DailyResult* DailyCalendarWidget::dayAt(QPoint point) const {
    for (int i = 0; i < monthCount(); ++i) {
        const QRect r = monthRect(i);
        if (!r.contains(point) || point.y() < r.top() + Header)
            continue;
        const stats::CivilDay first = firstDayOf(monthAt(i));
        const int slot = (point.y() - r.top() - Header) / Cell * 7 + (point.x() - r.left()) / Cell;
        const int d = slot - (stats::LocalCalendar::weekdayOfDay(first) - 1);
        if (d < 0 || d >= daysInMonth(monthAt(i)))
            return nullptr;
        const auto it = m_dayIndex.constFind(stats::LocalCalendar::daysFromCivil(first) + d);
        return it == m_dayIndex.constEnd() ? nullptr
                                           : &m_result->daily[static_cast<std::size_t>(*it)];
    }
    return nullptr;
}

QRect DailyCalendarWidget::rectOfDay(stats::CivilDay day) const {
    const long long month = monthOf(day);
    if (month < m_firstMonth || month > m_lastMonth)
        return {};
    const QRect r = monthRect(static_cast<int>(m_lastMonth - month));
    const int slot = stats::LocalCalendar::weekdayOfDay(firstDayOf(month)) - 1 + day.day - 1;
    return {r.left() + (slot % 7) * Cell, r.top() + Header + (slot / 7) * Cell, Cell, Cell};
}

void DailyCalendarWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const auto* day = dayAt(event->position().toPoint())) {
        QList<qint64> ids;
        for (auto id : day->tradeIds)
            ids.append(id);
        emit dayActivated(ids);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

bool DailyCalendarWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const auto* day = dayAt(help->pos())) {
            QToolTip::showText(help->globalPos(),
                               (day->trades == 1
                                    ? tr("%1\nNet result %2, %3 trade\nDouble-click to show it")
                                    : tr("%1\nNet result %2, %3 trades\nDouble-click to show "
                                         "them"))
                                   .arg(QString::fromStdString(m_formatter.day(day->day)),
                                        QString::fromStdString(m_formatter.money(day->netProfit)),
                                        QLocale().toString(qulonglong(day->trades))),
                               this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

} // namespace brivel::gui
