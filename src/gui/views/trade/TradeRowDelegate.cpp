#include "gui/views/trade/TradeRowDelegate.h"

#include "gui/ArrayControllerModel.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>
#include <cmath>

namespace brivel::gui {

namespace {

QColor rgb255(int r, int g, int b) {
    return QColor::fromRgbF(static_cast<float>(r / 255.0), static_cast<float>(g / 255.0),
                            static_cast<float>(b / 255.0), 1.0f);
}

} // namespace

TradeRowDelegate::TradeRowDelegate(QTableView* view) : QStyledItemDelegate(view), m_view(view) {}

std::optional<TradeRowDelegate::Result> TradeRowDelegate::resultOf(bool isClosed, double profit) {
    if (!isClosed || std::isnan(profit))
        return std::nullopt;
    return profit >= 0.0 ? Result::Gain : Result::Loss;
}

QLinearGradient TradeRowDelegate::gradient(Result result, const QRectF& rect) {
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    if (result == Result::Gain) {
        g.setColorAt(0.0, rgb255(100, 212, 98));
        g.setColorAt(0.5, rgb255(55, 180, 60));
        g.setColorAt(1.0, rgb255(11, 151, 27));
    } else {
        g.setColorAt(0.0, rgb255(244, 99, 99));
        g.setColorAt(0.5, rgb255(222, 60, 60));
        g.setColorAt(1.0, rgb255(206, 26, 26));
    }
    return g;
}

QLinearGradient TradeRowDelegate::shadowGradient(const QRectF& strip) {
    QLinearGradient g(QPointF(strip.right(), strip.top()), QPointF(strip.left(), strip.top()));
    g.setColorAt(0.0, QColor::fromRgbF(0, 0, 0, 0.6f));
    g.setColorAt(1.0, QColor::fromRgbF(0, 0, 0, 0.0f));
    return g;
}

QColor TradeRowDelegate::textColorOnGradient() {
    return QColor(Qt::black);
}

QRect TradeRowDelegate::rowRect(const QStyleOptionViewItem& option) const {
    // The row spans every column, whatever part of it is scrolled into view.
    const auto* header = m_view->horizontalHeader();
    int left = -header->offset();
    int width = header->length();
    return QRect(left, option.rect.top(), width, option.rect.height());
}

bool TradeRowDelegate::isTheSelectedRow(const QModelIndex& index) const {
    // Only the table's selected row is highlighted (the list selects one row at a time).
    auto* selection = m_view->selectionModel();
    return selection && selection->isRowSelected(index.row(), index.parent());
}

std::optional<TradeRowDelegate::Result> TradeRowDelegate::resultAt(const QModelIndex& index) const {
    const auto* model = qobject_cast<const ArrayControllerModel*>(index.model());
    const auto* trade = model ? model->objectAt(index.row()) : nullptr;
    if (!trade)
        return std::nullopt;
    store::Value closed = trade->valueForKey("isClosed");
    store::Value profit = trade->valueForKey("profit");
    if (!profit.isNumber())
        return std::nullopt;
    return resultOf(closed.toBool(), profit.toDouble());
}

void TradeRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const QRect row = rowRect(option);
    const std::optional<Result> result = resultAt(index);
    QColor text = option.palette.color(QPalette::Active, QPalette::Text);
    painter->save();
    painter->setClipRect(option.rect, Qt::IntersectClip);
    if (isTheSelectedRow(index)) {
        // The keyboard focus picks the selection colour; the tab keeps its gradient either way.
        QPalette::ColorGroup group = m_view->hasFocus() ? QPalette::Active : QPalette::Inactive;
        painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        text = option.palette.color(group, QPalette::HighlightedText);
        if (result) {
            QRectF tab(row.left() + row.width() - TabWidth, row.top(), TabWidth, row.height());
            QRectF shadow(tab.left() - ShadowWidth, row.top(), ShadowWidth, row.height());
            if (tab.intersects(option.rect))
                painter->fillRect(tab, gradient(*result, tab));
            if (shadow.intersects(option.rect))
                painter->fillRect(shadow, shadowGradient(shadow));
        }
    } else if (result) {
        painter->fillRect(option.rect, gradient(*result, row));
        text = textColorOnGradient();
    }
    paintText(painter, option, index, text);
    painter->restore();
}

void TradeRowDelegate::paintText(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index, const QColor& color) const {
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    const int margin =
        m_view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_view) + 3;
    QRect area = option.rect.adjusted(margin, 0, -margin, 0);
    // The rightmost column leaves room for the tab.
    if (index.column() == index.model()->columnCount() - 1)
        area.setRight(std::min(area.right(), rowRect(option).right() - TabWidth - ShadowWidth));
    QVariant align = index.data(Qt::TextAlignmentRole);
    Qt::Alignment alignment =
        align.isValid() ? Qt::Alignment(align.toInt()) : (Qt::AlignLeft | Qt::AlignVCenter);
    painter->setPen(color);
    painter->setFont(option.font);
    painter->drawText(area, static_cast<int>(alignment | Qt::AlignVCenter),
                      option.fontMetrics.elidedText(text, Qt::ElideRight, area.width()));
}

void TradeRowDelegate::setEditingDelegate(int column, QAbstractItemDelegate* delegate) {
    m_editing[column] = delegate;
}

QAbstractItemDelegate* TradeRowDelegate::editingDelegate(const QModelIndex& index) const {
    auto it = m_editing.find(index.column());
    return it == m_editing.end() ? nullptr : it->second;
}

QWidget* TradeRowDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    if (auto* d = editingDelegate(index))
        return d->createEditor(parent, option, index);
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void TradeRowDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* d = editingDelegate(index))
        return d->setEditorData(editor, index);
    QStyledItemDelegate::setEditorData(editor, index);
}

void TradeRowDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                    const QModelIndex& index) const {
    if (auto* d = editingDelegate(index))
        return d->setModelData(editor, model, index);
    QStyledItemDelegate::setModelData(editor, model, index);
}

} // namespace brivel::gui
