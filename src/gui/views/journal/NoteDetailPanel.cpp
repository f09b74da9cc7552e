#include "gui/views/journal/NoteDetailPanel.h"

#ifndef Q_MOC_RUN
#include "core/model/Entities.h"
#endif
#include "gui/views/journal/JournalCells.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace brivel::gui {

NoteDetailPanel::NoteDetailPanel(store::ObjectContext& context, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_context(context), m_time(new QLabel(this)),
      m_ticker(new QLineEdit(this)), m_flag(new QCheckBox(tr("Flagged"), this)),
      m_comment(new QPlainTextEdit(this)) {
    setObjectName(QStringLiteral("noteDetailPanel"));
    setAccessibleName(tr("Note details"));
    setWindowTitle(tr("Note"));
    m_time->setObjectName(QStringLiteral("noteDetailTime"));
    m_ticker->setObjectName(QStringLiteral("noteDetailTickerTF"));
    m_ticker->setAccessibleName(tr("Ticker"));
    m_flag->setObjectName(QStringLiteral("noteDetailFlag"));
    m_flag->setAccessibleName(tr("Flagged"));
    m_comment->setObjectName(QStringLiteral("noteDetailCommentTV"));
    m_comment->setAccessibleName(tr("Comment"));
    m_comment->setTabChangesFocus(true);
    m_comment->installEventFilter(this);
    m_ticker->installEventFilter(this);

    auto* form = new QFormLayout;
    form->addRow(tr("Time:"), m_time);
    form->addRow(tr("Ticker:"), m_ticker);
    form->addRow(QString(), m_flag);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("closeNoteDetailBtn"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    connect(m_flag, &QCheckBox::clicked, this, [this] { commit(); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(new QLabel(tr("Comment:"), this));
    layout->addWidget(m_comment, 1);
    layout->addWidget(buttons);
    resize(380, 300);
    showValues();
}

model::Note* NoteDetailPanel::note() const {
    if (!m_noteID)
        return nullptr;
    auto* object = m_context.objectWithID(*m_noteID);
    return object && !object->isDeleted() ? dynamic_cast<model::Note*>(object) : nullptr;
}

void NoteDetailPanel::setNote(model::Note* note) {
    commit();
    m_noteID = note ? std::optional(note->objectID()) : std::nullopt;
    showValues();
}

void NoteDetailPanel::showValues() {
    model::Note* shown = note();
    setEnabled(shown != nullptr);
    m_time->setText(shown ? journal::mediumDateTime(shown->valueForKey("timestamp")) : QString());
    m_ticker->setText(shown && shown->ticker() ? QString::fromStdString(*shown->ticker())
                                               : QString());
    m_flag->setChecked(shown && shown->flagValue());
    m_comment->setPlainText(shown && shown->comment() ? QString::fromStdString(*shown->comment())
                                                      : QString());
}

bool NoteDetailPanel::commit() {
    model::Note* shown = note();
    if (!shown)
        return false;
    // Only what changed is written: every write is a change to undo and to save.
    auto write = [](model::Note* n, const QString& text, std::optional<std::string> old,
                    void (model::NoteBase::*set)(const std::optional<std::string>&)) {
        std::optional<std::string> value;
        if (!text.isEmpty() || old)
            value = text.toStdString();
        if (value != old)
            (n->*set)(value);
    };
    write(shown, m_ticker->text().trimmed(), shown->ticker(), &model::Note::setTicker);
    write(shown, m_comment->toPlainText(), shown->comment(), &model::Note::setComment);
    if (m_flag->isChecked() != shown->flagValue())
        shown->setFlagValue(m_flag->isChecked());
    return true;
}

QPoint NoteDetailPanel::placement(const QPoint& mouse, const QSize& size,
                                  const std::optional<QRect>& available) {
    // Coordinates grow downwards here, so the rule "y no lower than the visible bottom, then the
    // top wins" reads: bottom edge at most the available bottom, then top at least its top.
    int x = mouse.x();
    int y = mouse.y();
    if (!available)
        return {x, y};
    const QRect& a = *available;
    const int bottom = a.y() + a.height();
    const int right = a.x() + a.width();
    if (y + size.height() > bottom)
        y = bottom - size.height();
    if (y < a.y())
        y = a.y();
    if (x < a.x())
        x = a.x();
    if (x + size.width() > right)
        x = right - size.width();
    return {x, y};
}

void NoteDetailPanel::openAt(const QPoint& mouse) {
    std::optional<QRect> available;
    if (QScreen* screen = QGuiApplication::screenAt(mouse))
        available = screen->availableGeometry();
    const QSize size = isVisible() ? frameGeometry().size() : this->size();
    move(placement(mouse, size, available));
    show();
    raise();
    activateWindow();
    m_comment->setFocus();
}

void NoteDetailPanel::closeEvent(QCloseEvent* event) {
    commit();
    QWidget::closeEvent(event);
    emit closed();
}

bool NoteDetailPanel::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_comment || watched == m_ticker) && event->type() == QEvent::FocusOut)
        commit();
    return QWidget::eventFilter(watched, event);
}

} // namespace brivel::gui
