#pragma once

#include "gui/views/journal/JournalTableView.h"

namespace brivel::controllers {
class ArrayController;
}

namespace brivel::gui {

// The notes of the selected day: flag (0), time (1), ticker (2), comment (3); columns 1 to 3 take
// typed text. The notes are sorted again when the user leaves a row's text cells (Tab from the
// comment, Shift-Tab from the time, Return, a click elsewhere), never while Tab and Shift-Tab move
// between the cells of one row, so the row being typed in stays where it is.
class NotesTableView : public journal::JournalTableView {
    Q_OBJECT
public:
    explicit NotesTableView(QWidget* parent = nullptr);

    controllers::ArrayController* notesAC() const { return m_notesAC; }
    void setNotesAC(controllers::ArrayController* notesAC) { m_notesAC = notesAC; }

    static constexpr int FlagColumn = 0;
    static constexpr int TimeColumn = 1;
    static constexpr int TickerColumn = 2;
    static constexpr int CommentColumn = 3;

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    controllers::ArrayController* m_notesAC = nullptr;
};

} // namespace brivel::gui
