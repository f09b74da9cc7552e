#pragma once

#include "gui/views/journal/JournalTableView.h"

namespace brivel::gui {

// The levels of the selected day: index (0), support (1), resistance (2); columns 1 and 2 take
// typed text. Tab and Shift-Tab walk through support and resistance of every row in turn, the
// way one fills in the levels of every index of the day in one go.
class PriceBarrierTableView : public journal::JournalTableView {
    Q_OBJECT
public:
    explicit PriceBarrierTableView(QWidget* parent = nullptr);

    static constexpr int IndexColumn = 0;
    static constexpr int SupportColumn = 1;
    static constexpr int ResistanceColumn = 2;

protected:
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
};

} // namespace brivel::gui
