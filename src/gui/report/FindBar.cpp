#include "gui/report/FindBar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QToolButton>

namespace brivel::gui {

FindBar::FindBar(QTextEdit& view, QWidget* parent)
    : QWidget(parent), m_view(view), m_field(new QLineEdit(this)), m_status(new QLabel(this)) {
    setObjectName(QStringLiteral("findBar"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    auto* label = new QLabel(tr("Find:"), this);
    label->setBuddy(m_field);
    m_field->setObjectName(QStringLiteral("findTF"));
    m_field->setAccessibleName(tr("Find in report"));
    m_field->setClearButtonEnabled(true);
    m_field->installEventFilter(this);
    auto button = [this](const QString& name, const QString& text, const QString& accessible) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setText(text);
        b->setAccessibleName(accessible);
        b->setAutoRaise(true);
        return b;
    };
    auto* previous = button(QStringLiteral("findPreviousBtn"), tr("Previous"), tr("Find previous"));
    auto* next = button(QStringLiteral("findNextBtn"), tr("Next"), tr("Find next"));
    auto* done = button(QStringLiteral("findDoneBtn"), tr("Done"), tr("Close the find bar"));
    m_status->setObjectName(QStringLiteral("findStatus"));
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    layout->addWidget(previous);
    layout->addWidget(next);
    layout->addWidget(m_status);
    layout->addWidget(done);

    connect(m_field, &QLineEdit::returnPressed, this, [this] { findNext(false); });
    connect(m_field, &QLineEdit::textEdited, this, [this] {
        // Search as the user types, from the start of the current match.
        QTextCursor c = m_view.textCursor();
        c.setPosition(c.selectionStart());
        m_view.setTextCursor(c);
        findNext(false);
    });
    connect(previous, &QToolButton::clicked, this, [this] { findNext(true); });
    connect(next, &QToolButton::clicked, this, [this] { findNext(false); });
    connect(done, &QToolButton::clicked, this, [this] {
        hide();
        m_view.setFocus();
    });
    hide();
}

void FindBar::open() {
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

bool FindBar::findNext(bool backwards) {
    const QString text = m_field->text();
    m_status->clear();
    if (text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (m_view.find(text, flags))
        return true;
    // Wrap around once.
    const QTextCursor before = m_view.textCursor();
    QTextCursor c(m_view.document());
    c.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    m_view.setTextCursor(c);
    if (m_view.find(text, flags))
        return true;
    m_view.setTextCursor(before);
    m_status->setText(tr("Not found"));
    return false;
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            hide();
            m_view.setFocus();
            return true;
        }
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & Qt::ShiftModifier)) {
            findNext(true);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace brivel::gui
