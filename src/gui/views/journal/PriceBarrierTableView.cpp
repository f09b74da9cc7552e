#include "gui/views/journal/PriceBarrierTableView.h"

namespace brivel::gui {

PriceBarrierTableView::PriceBarrierTableView(QWidget* parent)
    : JournalTableView({SupportColumn, ResistanceColumn}, parent) {
    setObjectName(QStringLiteral("priceBarrierTV"));
    setAccessibleName(tr("Index levels"));
}

void PriceBarrierTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const QModelIndex edited = currentIndex();
    const int row = edited.row();
    const int column = edited.column();
    const int rows = model() ? model()->rowCount() : 0;
    JournalTableView::closeEditor(editor, hint);
    if (hint == QAbstractItemDelegate::EditNextItem && row < rows - 1 && column == ResistanceColumn)
        editCell(row + 1, SupportColumn);
    else if (hint == QAbstractItemDelegate::EditPreviousItem && row >= 1 && column == SupportColumn)
        editCell(row - 1, ResistanceColumn);
}

} // namespace brivel::gui
