#pragma once

#include <QList>
#include <QWidget>

namespace brivel::gui {

// One of the views an account window switches between (journal, trades, report, statistics).
// The window asks the visible view to end its edit in progress before it switches, saves or
// closes.
class AccountView : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Commits the edit in progress, if any. False when it cannot be committed (a refused value):
    // the window then beeps and stays where it is.
    virtual bool commitEditing() { return true; }
    // The account window is closing for good (after its save prompt, or closed outright).
    virtual void windowWillClose() {}
    // Whether this view lists trades and can select some (the window brings it to the front
    // for showTradesRequested).
    virtual bool listsTrades() const { return false; }
    // Selects the trades with these object identifiers; those the view does not list are
    // ignored.
    virtual void selectTrades(const QList<qint64>& tradeIds) { Q_UNUSED(tradeIds); }

signals:
    // The user asked to see these trades in the view that lists trades.
    void showTradesRequested(const QList<qint64>& tradeIds);
};

} // namespace brivel::gui
