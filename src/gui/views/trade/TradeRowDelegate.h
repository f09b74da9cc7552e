#pragma once

#include <QColor>
#include <QLinearGradient>
#include <QStyledItemDelegate>
#include <map>
#include <optional>

class QTableView;

namespace brivel::gui {

// Paints the cells of the trade list: a closed trade's row filled with the gain or loss gradient,
// the selected row in the selection colour with a gradient tab and its shadow at the right end.
// The cells paint no highlight of their own; the row drawing shows through their text.
class TradeRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum class Result { Gain, Loss };

    // Tab and shadow widths at the right end of a selected closed row, in pixels.
    static constexpr int TabWidth = 20;
    static constexpr int ShadowWidth = 5;

    explicit TradeRowDelegate(QTableView* view);

    // The gradient a trade gets: none while open or when its profit is not a number.
    static std::optional<Result> resultOf(bool isClosed, double profit);
    // The row gradient from top to bottom of the rectangle (made anew for every row drawn).
    static QLinearGradient gradient(Result result, const QRectF& rect);
    // Black fading to clear from the right edge of the strip to its left edge.
    static QLinearGradient shadowGradient(const QRectF& strip);
    // Text on a gradient: dark in every colour scheme, as the gradients stay light.
    static QColor textColorOnGradient();

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

    // Editing of a column goes to another delegate (the strategy pop-up, typed text); painting
    // stays here, so the row gradient runs through every column.
    void setEditingDelegate(int column, QAbstractItemDelegate* delegate);
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    QRect rowRect(const QStyleOptionViewItem& option) const;
    bool isTheSelectedRow(const QModelIndex& index) const;
    std::optional<Result> resultAt(const QModelIndex& index) const;
    void paintText(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index,
                   const QColor& color) const;

    QAbstractItemDelegate* editingDelegate(const QModelIndex& index) const;

    QTableView* m_view;
    std::map<int, QAbstractItemDelegate*> m_editing;
};

} // namespace brivel::gui
