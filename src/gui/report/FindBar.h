#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QTextEdit;

namespace brivel::gui {

// The find bar under a text view: type to find, Return (or F3) for the next match, Shift+Return
// (Shift+F3) for the previous one, Escape to close. The search wraps around the document.
class FindBar : public QWidget {
    Q_OBJECT
public:
    explicit FindBar(QTextEdit& view, QWidget* parent = nullptr);

    // Shows the bar with the field focused and its text selected.
    void open();
    // Moves to the next (or previous) match; false when the text is nowhere in the document.
    bool findNext(bool backwards = false);
    QLineEdit* field() const { return m_field; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextEdit& m_view;
    QLineEdit* m_field;
    QLabel* m_status;
};

} // namespace brivel::gui
