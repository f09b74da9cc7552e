#include "gui/views/journal/JournalTableView.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <algorithm>

namespace brivel::gui::journal {

JournalTableView::JournalTableView(std::vector<int> textColumns, QWidget* parent)
    : QTableView(parent), m_textColumns(std::move(textColumns)) {
    std::sort(m_textColumns.begin(), m_textColumns.end());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A double-click is the table's own action (the note detail panel); typing, F2 or a click
    // on the selected row edits.
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed |
                    QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 10);
    horizontalHeader()->setHighlightSections(false);
}

ArrayControllerModel* JournalTableView::arrayModel() const {
    return qobject_cast<ArrayControllerModel*>(model());
}

bool JournalTableView::isTextColumn(int column) const {
    return std::binary_search(m_textColumns.begin(), m_textColumns.end(), column);
}

bool JournalTableView::commitEdit() {
    if (state() != QAbstractItemView::EditingState)
        return true;
    QWidget* editor = indexWidget(currentIndex());
    if (!editor)
        return true;
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        line = combo->lineEdit();
    if (line && !line->hasAcceptableInput())
        return false;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

void JournalTableView::editCell(int row, int column) {
    if (!model())
        return;
    const QModelIndex index = model()->index(row, column);
    if (!index.isValid())
        return;
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
    scrollTo(index);
    edit(index);
}

QModelIndex JournalTableView::moveCursor(CursorAction cursorAction,
                                         Qt::KeyboardModifiers modifiers) {
    if ((cursorAction != MoveNext && cursorAction != MovePrevious) || !model() ||
        m_textColumns.empty())
        return QTableView::moveCursor(cursorAction, modifiers);
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return QTableView::moveCursor(cursorAction, modifiers);
    int row = current.row();
    const int column = current.column();
    if (cursorAction == MoveNext) {
        auto next = std::upper_bound(m_textColumns.begin(), m_textColumns.end(), column);
        if (next != m_textColumns.end())
            return model()->index(row, *next);
        if (++row >= model()->rowCount())
            return {}; // the last cell: editing ends here
        return model()->index(row, m_textColumns.front());
    }
    auto previous = std::lower_bound(m_textColumns.begin(), m_textColumns.end(), column);
    if (previous != m_textColumns.begin())
        return model()->index(row, *std::prev(previous));
    if (--row < 0)
        return {};
    return model()->index(row, m_textColumns.back());
}

} // namespace brivel::gui::journal
