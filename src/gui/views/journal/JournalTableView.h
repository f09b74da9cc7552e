#pragma once

#include "gui/ArrayControllerModel.h"

#include <QTableView>
#include <vector>

namespace brivel::gui::journal {

// A journal table: rows are records of a list controller, some columns take typed text. Tab and
// Shift-Tab move between the typed-text cells, row after row, and stop at the ends.
class JournalTableView : public QTableView {
    Q_OBJECT
public:
    JournalTableView(std::vector<int> textColumns, QWidget* parent = nullptr);

    // Ends the edit in progress and commits it, as leaving the cell would. False, with the cell
    // still in editing, when its text is refused.
    bool commitEdit();
    ArrayControllerModel* arrayModel() const;
    // Selects the row alone and starts editing the cell with its text selected.
    void editCell(int row, int column);
    bool isTextColumn(int column) const;
    bool isEditing() const { return state() == QAbstractItemView::EditingState; }

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    std::vector<int> m_textColumns;
};

} // namespace brivel::gui::journal
