#pragma once

#include <QWidget>

namespace brivel::gui {

// One of the views an account window switches between (journal, trades, report, statistics).
// The window asks the visible view to end its edit in progress before it switches, saves or
// closes.
class AccountView : public QWidget {
public:
    using QWidget::QWidget;

    // Commits the edit in progress, if any. False when it cannot be committed (a refused value):
    // the window then beeps and stays where it is.
    virtual bool commitEditing() { return true; }
    // The account window is closing for good (after its save prompt, or closed outright).
    virtual void windowWillClose() {}
};

} // namespace brivel::gui
