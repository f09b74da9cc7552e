#pragma once

#ifndef Q_MOC_RUN
#include "core/store/ObjectContext.h"
#endif

#include <QWidget>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace brivel::model {
class Note;
}

namespace brivel::gui {

// A small tool window for writing one note at length: its ticker, its flag and a multi-line
// comment. What is typed goes into the note when the panel closes, when another note is shown
// and when the comment loses the focus, each as one change.
class NoteDetailPanel : public QWidget {
    Q_OBJECT
public:
    NoteDetailPanel(store::ObjectContext& context, QWidget* parent = nullptr);

    // Shows this note (nothing: an empty, disabled panel), after committing the one shown.
    void setNote(model::Note* note);
    model::Note* note() const;
    // Writes what was typed into the note. Returns false when there is nothing to write to.
    bool commit();

    // Opens the panel with its top-left corner at the mouse, kept inside the available area of
    // the screen under the mouse, and makes it the active window.
    void openAt(const QPoint& mouse);

    // Where a panel of this size goes: top-left at the mouse, then moved inside available
    // (if any): its bottom no lower than the bottom, then its top no higher than the top (the
    // top wins); its left no further left than the left edge, then its right edge no further
    // right than the right edge (the right wins).
    static QPoint placement(const QPoint& mouse, const QSize& size,
                            const std::optional<QRect>& available);

signals:
    // Closed by its command (or its window's close control), after committing.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showValues();

    store::ObjectContext& m_context;
    std::optional<store::ObjectID> m_noteID;
    QLabel* m_time;
    QLineEdit* m_ticker;
    QCheckBox* m_flag;
    QPlainTextEdit* m_comment;
};

} // namespace brivel::gui
