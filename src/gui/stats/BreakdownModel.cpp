#include "gui/stats/BreakdownModel.h"

#include "gui/stats/ResultColors.h"

#include <limits>

namespace brivel::gui {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QVariant number(const std::optional<double>& v) {
    return v ? *v : -std::numeric_limits<double>::infinity();
}

} // namespace

BreakdownModel::BreakdownModel(const stats::StatsFormatter& formatter, QObject* parent)
    : QAbstractTableModel(parent), m_formatter(formatter) {}

void BreakdownModel::setResult(const stats::StatisticsResult* result) {
    beginResetModel();
    m_result = result;
    endResetModel();
}

const stats::BreakdownRow* BreakdownModel::rowAt(int row) const {
    if (!m_result || row < 0 || static_cast<std::size_t>(row) >= m_result->breakdown.size())
        return nullptr;
    return &m_result->breakdown[static_cast<std::size_t>(row)];
}

int BreakdownModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_result ? 0 : static_cast<int>(m_result->breakdown.size());
}

int BreakdownModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BreakdownModel::display(const stats::BreakdownRow& row, int column) const {
    const auto& f = row.figures;
    const QString none = text(std::string(stats::StatsFormatter::None));
    auto money = [&](const std::optional<double>& v) {
        return v ? text(m_formatter.money(*v)) : none;
    };
    switch (column) {
    case Key:
        return row.key.empty() ? tr("(no ticker)") : text(row.key);
    case Trades:
        return text(m_formatter.count(f.trades));
    case WinRate:
        return f.winRate ? text(m_formatter.percent(*f.winRate)) : none;
    case NetProfit:
        return text(m_formatter.money(f.netProfit));
    case AverageWin:
        return money(f.averageWin);
    case AverageLoss:
        return money(f.averageLoss);
    case ProfitFactor:
        return f.profitFactor ? text(m_formatter.ratio(*f.profitFactor)) : none;
    case Expectancy:
        return money(f.expectancy);
    case MaxDrawdown:
        return money(f.maxDrawdown ? std::optional(f.maxDrawdown->amount) : std::nullopt);
    default:
        return {};
    }
}

QVariant BreakdownModel::sortValue(const stats::BreakdownRow& row, int column) const {
    const auto& f = row.figures;
    switch (column) {
    case Key:
        // Months, weekdays and strategies in their own order; tickers by name.
        if (m_result && m_result->breakdownKind == stats::BreakdownKind::Ticker)
            return text(row.key);
        return QVariant::fromValue<qlonglong>(row.order);
    case Trades:
        return static_cast<double>(f.trades);
    case WinRate:
        return number(f.winRate);
    case NetProfit:
        return f.netProfit;
    case AverageWin:
        return number(f.averageWin);
    case AverageLoss:
        return number(f.averageLoss);
    case ProfitFactor:
        return number(f.profitFactor);
    case Expectancy:
        return number(f.expectancy);
    case MaxDrawdown:
        return number(f.maxDrawdown ? std::optional(f.maxDrawdown->amount) : std::nullopt);
    default:
        return {};
    }
}

QVariant BreakdownModel::data(const QModelIndex& index, int role) const {
    const auto* row = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!row || index.column() >= ColumnCount)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return display(*row, index.column());
    case SortRole:
        return sortValue(*row, index.column());
    case Qt::TextAlignmentRole:
        return index.column() == Key ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                     : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        if (index.column() == NetProfit && row->figures.trades > 0) {
            const int sign = stats::resultSign(row->figures.netProfit);
            if (sign != 0)
                return QVariant::fromValue(sign > 0 ? gainColor().darker(130) : lossColor());
        }
        return {};
    default:
        return {};
    }
}

QVariant BreakdownModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const titles[ColumnCount] = {
        QT_TR_NOOP("Key"),           QT_TR_NOOP("Trades"),      QT_TR_NOOP("Win Rate"),
        QT_TR_NOOP("Net Profit"),    QT_TR_NOOP("Average Win"), QT_TR_NOOP("Average Loss"),
        QT_TR_NOOP("Profit Factor"), QT_TR_NOOP("Expectancy"),  QT_TR_NOOP("Max Drawdown")};
    if (section < 0 || section >= ColumnCount)
        return {};
    if (section == Key && m_result && m_result->breakdownKind)
        return text(std::string(stats::breakdownKindName(*m_result->breakdownKind)))
                   .toUpper()
                   .left(1) +
               text(std::string(stats::breakdownKindName(*m_result->breakdownKind))).mid(1);
    return tr(titles[section]);
}

} // namespace brivel::gui
