#include "gui/views/journal/NotesTableView.h"

#ifndef Q_MOC_RUN
#include "core/controllers/ArrayController.h"
#endif

#include <algorithm>

namespace brivel::gui {

NotesTableView::NotesTableView(QWidget* parent)
    : JournalTableView({TimeColumn, TickerColumn, CommentColumn}, parent) {
    setObjectName(QStringLiteral("noteTV"));
    setAccessibleName(tr("Notes"));
}

void NotesTableView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    const int column = currentIndex().column();
    const bool tab = hint == QAbstractItemDelegate::EditNextItem;
    const bool backTab = hint == QAbstractItemDelegate::EditPreviousItem;
    const bool resort =
        (tab && column == CommentColumn) || (backTab && column == TimeColumn) || (!tab && !backTab);
    JournalTableView::closeEditor(editor, hint);
    if (!resort || !m_notesAC || !arrayModel())
        return;

    // Where the user is now (perhaps already typing in the next row), to find it again after
    // the rows have moved.
    const QModelIndex current = currentIndex();
    auto* object = arrayModel()->objectAt(current.row());
    const bool editing = state() == QAbstractItemView::EditingState;
    m_notesAC->rearrangeObjects();
    const auto& rows = m_notesAC->arrangedObjects();
    auto found = std::find(rows.begin(), rows.end(), object);
    if (!object || found == rows.end())
        return;
    const int row = static_cast<int>(found - rows.begin());
    if (editing)
        editCell(row, current.column());
    else
        selectionModel()->setCurrentIndex(model()->index(row, current.column()),
                                          QItemSelectionModel::NoUpdate);
}

} // namespace brivel::gui
