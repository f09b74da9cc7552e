#include "gui/import/PlannedOrderModel.h"

#include <QDateTime>
#include <QLocale>

namespace brivel::gui {

namespace {
enum Column {
    TradeNumber,
    Date,
    Ticker,
    Description,
    Side,
    Shares,
    Price,
    Commission,
    Reason,
    Line,
    ColumnCount
};

QString money(const std::optional<double>& v) {
    return v ? QLocale().toString(*v, 'f', 2) : QString();
}
QString text(const std::optional<std::string>& s) {
    return s ? QString::fromStdString(*s) : QString();
}
} // namespace

void PlannedOrderModel::setPlan(const import::ImportPlan* plan, int maxRows) {
    beginResetModel();
    m_plan = plan;
    m_rows.clear();
    if (plan)
        for (std::size_t t = 0; t < plan->trades.size() && m_rows.size() < std::size_t(maxRows);
             ++t)
            for (std::size_t o = 0;
                 o < plan->trades[t].orders.size() && m_rows.size() < std::size_t(maxRows); ++o)
                m_rows.emplace_back(t, o);
    endResetModel();
}

int PlannedOrderModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PlannedOrderModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PlannedOrderModel::data(const QModelIndex& index, int role) const {
    if (!m_plan || !index.isValid() || index.row() >= rowCount())
        return {};
    const auto [t, o] = m_rows[static_cast<std::size_t>(index.row())];
    const import::PlannedTrade& trade = m_plan->trades[t];
    const import::PlannedOrder& order = trade.orders[o];
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == TradeNumber || index.column() == Shares ||
                            index.column() == Price || index.column() == Commission ||
                            index.column() == Line;
        return QVariant::fromValue(number ? Qt::AlignRight | Qt::AlignVCenter
                                          : Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case TradeNumber:
        return QLocale().toString(static_cast<qulonglong>(t + 1));
    case Date:
        return order.date ? QLocale().toString(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(
                                                   order.date->secondsSince1970 * 1000.0)),
                                               QLocale::ShortFormat)
                          : QString();
    case Ticker:
        return text(trade.ticker);
    case Description:
        return text(order.desc);
    case Side:
        return order.isBuy ? tr("Buy") : tr("Sell");
    case Shares:
        return order.numShares ? QLocale().toString(*order.numShares) : QString();
    case Price:
        return money(order.price);
    case Commission:
        return money(order.commission);
    case Reason:
        return text(order.reason);
    case Line:
        return QLocale().toString(static_cast<qulonglong>(order.line));
    default:
        return {};
    }
}

QVariant PlannedOrderModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* titles[] = {"Trade",  "Date",  "Ticker",     "Description", "Side",
                                   "Shares", "Price", "Commission", "Reason",      "Line"};
    return section >= 0 && section < ColumnCount ? tr(titles[section]) : QVariant();
}

} // namespace brivel::gui
