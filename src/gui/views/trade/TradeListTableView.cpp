#include "gui/views/trade/TradeListTableView.h"

#include "core/controllers/ArrayController.h"
#include "gui/ArrayControllerModel.h"
#include "gui/views/trade/TradeRowDelegate.h"

#include <QHeaderView>
#include <QPainter>

namespace brivel::gui {

TradeListTableView::TradeListTableView(controllers::ArrayController& tradeAC, QWidget* parent)
    : QTableView(parent), m_tradeAC(tradeAC) {
    setObjectName(QStringLiteral("tradeListTV"));
    setAccessibleName(tr("Trades"));
    setItemDelegate(new TradeRowDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(false);
    setWordWrap(false);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    // Uniform rows: the view never asks the model about rows it does not paint.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    verticalHeader()->hide();
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    horizontalHeader()->setHighlightSections(false);
    connect(horizontalHeader(), &QHeaderView::sortIndicatorChanged, this,
            &TradeListTableView::sortByColumn);
}

void TradeListTableView::setTradeModel(ArrayControllerModel* model,
                                       std::vector<std::string> sortKeys) {
    m_sortKeys = std::move(sortKeys);
    setModel(model);
}

QString TradeListTableView::emptyText() {
    return tr("No trades yet. Add one with +");
}

void TradeListTableView::clearSortIndicator() {
    QSignalBlocker block(horizontalHeader());
    horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void TradeListTableView::sortByColumn(int column, Qt::SortOrder order) {
    if (column < 0 || static_cast<std::size_t>(column) >= m_sortKeys.size() ||
        m_sortKeys[static_cast<std::size_t>(column)].empty())
        return;
    // The selection survives the new order: the controller keeps it by object.
    m_tradeAC.setSortDescriptors(
        {{m_sortKeys[static_cast<std::size_t>(column)], order == Qt::AscendingOrder}});
}

void TradeListTableView::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (model() && model()->rowCount() > 0)
        return;
    QPainter painter(viewport());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(viewport()->rect(), Qt::AlignCenter, emptyText());
}

void TradeListTableView::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update(); // the selection colour follows the keyboard focus
}

void TradeListTableView::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

} // namespace brivel::gui
