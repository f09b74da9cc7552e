#include "gui/views/trade/TradeClosingHintPanel.h"

#include "core/app/TradeClosingHint.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextCursor>
#include <QVBoxLayout>

namespace brivel::gui {

QString TradeClosingHintPanel::supportTopicUrl() {
    return QStringLiteral("https://www.brivel.com/support/adding-orders");
}

TradeClosingHintPanel::TradeClosingHintPanel(app::TradeClosingHint& hint, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_hint(hint), m_message(new QTextBrowser(this)),
      m_ignore(new QCheckBox(tr("Do not show this again"), this)) {
    setObjectName(QStringLiteral("helpfulHintPanel"));
    setAccessibleName(tr("Helpful hint"));
    setWindowTitle(tr("Helpful Hint"));
    m_message->setObjectName(QStringLiteral("helpfulHintMsg"));
    m_message->setAccessibleName(tr("Hint text"));
    m_message->setOpenExternalLinks(true);
    m_message->setFrameShape(QFrame::NoFrame);
    m_ignore->setObjectName(QStringLiteral("closeTradeHintIgnoreCB"));
    m_ignore->setAccessibleName(tr("Do not show this hint again"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName(QStringLiteral("helpfulHintButtons"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QWidget::close);
    connect(m_ignore, &QCheckBox::toggled, this, [this](bool on) { m_hint.setIgnored(on); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(m_ignore);
    row->addStretch();
    row->addWidget(buttons);
    layout->addLayout(row);
    resize(460, 230);
    setTradeClosingHintMsg();
}

void TradeClosingHintPanel::setTradeClosingHintMsg() {
    m_message->clear();
    QTextCursor cursor(m_message->document());
    QTextCharFormat title;
    title.setFontFamilies({QStringLiteral("Helvetica")});
    title.setFontWeight(QFont::Bold);
    title.setFontPointSize(14);
    QTextCharFormat body;
    body.setFontFamilies({QStringLiteral("Helvetica")});
    body.setFontPointSize(12);
    QTextCharFormat link = body;
    link.setAnchor(true);
    link.setAnchorHref(supportTopicUrl());
    link.setForeground(palette().color(QPalette::Link));
    link.setFontUnderline(true);

    cursor.insertText(QStringLiteral("Do you want to calculate profit automatically?\n\n"), title);
    cursor.insertText(
        QStringLiteral("Brivel Trade Journal is capable of automatically calculating the\n"
                       "profit/loss of each trade. However, for that to work the description "
                       "field of related orders must match exactly. For more details please see "
                       "the \"Adding Orders\" help topic (under the Help menu), or "),
        body);
    // The link covers the run without its full stop.
    cursor.insertText(QStringLiteral("visit our support topic"), link);
    cursor.insertText(QStringLiteral("."), body);
}

void TradeClosingHintPanel::showEvent(QShowEvent* event) {
    QSignalBlocker block(m_ignore);
    m_ignore->setChecked(m_hint.isIgnored());
    QWidget::showEvent(event);
}

} // namespace brivel::gui
