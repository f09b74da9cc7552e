#pragma once

class QAbstractItemView;
class QModelIndex;
class QWidget;

namespace brivel::gui {

// The editor open in the view, if a cell is being edited.
QWidget* itemViewEditor(QAbstractItemView* view);
// Commits the cell being edited in the view, as ending editing before a command does. True
// when nothing was being edited or the value was taken; false (the editor stays open) when the
// model refused it.
bool commitItemViewEditing(QAbstractItemView* view);
// Starts editing the cell with its whole text selected, so that typing replaces it.
void editWithTextSelected(QAbstractItemView* view, const QModelIndex& index);

} // namespace brivel::gui
