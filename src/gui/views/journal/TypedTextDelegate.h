#pragma once

#include <QStyledItemDelegate>

namespace brivel::gui::journal {

// Edits a cell of an ArrayControllerModel in a line edit that accepts only text the cell's column
// can read: Return and Tab do not end an edit whose text is refused, so the cell stays in editing
// with the text as typed.
class TypedTextDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
};

} // namespace brivel::gui::journal
