#pragma once

#include <QColor>

namespace brivel::gui {

// The trade list's gain and loss colours (the middle stops of its row gradients), so that a good
// day in the calendar looks like a winning trade in the list.
inline QColor gainColor() {
    return QColor(55, 180, 60);
}
inline QColor lossColor() {
    return QColor(222, 60, 60);
}

} // namespace brivel::gui
