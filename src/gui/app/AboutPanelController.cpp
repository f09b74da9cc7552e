#include "gui/app/AboutPanelController.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFile>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#ifndef BRIVEL_BUILD_NUMBER
#define BRIVEL_BUILD_NUMBER "1"
#endif

namespace brivel::gui {

AboutPanelController::AboutPanelController(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutPanel");
    setWindowTitle(tr("About Brivel Trade Journal"));
    auto* layout = new QVBoxLayout(this);

    auto* header = new QHBoxLayout;
    auto* logoIV = new QLabel(this);
    logoIV->setObjectName("logoIV");
    logoIV->setAccessibleName(tr("Brivel Trade Journal logo"));
    const int side = 96;
    logoIV->setPixmap(QIcon(QStringLiteral(":/brivel/icons/brivel.svg"))
                          .pixmap(QSize(side, side), devicePixelRatioF()));
    logoIV->setFixedSize(side, side);
    header->addWidget(logoIV, 0, Qt::AlignTop);

    auto* texts = new QVBoxLayout;
    m_appNameTF = new QLabel(QApplication::applicationName(), this);
    m_appNameTF->setObjectName("appNameTF");
    QFont nameFont = m_appNameTF->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(22);
    m_appNameTF->setFont(nameFont);
    m_versionTF = new QLabel(
        versionLine(QApplication::applicationVersion(), QStringLiteral(BRIVEL_BUILD_NUMBER)), this);
    m_versionTF->setObjectName("versionTF");
    m_versionTF->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_copyrightTF = new QLabel(QString::fromUtf8(Copyright), this);
    m_copyrightTF->setObjectName("copyrightTF");
    for (QLabel* l : {m_versionTF, m_copyrightTF}) {
        QFont f = l->font();
        f.setPointSizeF(12);
        l->setFont(f);
    }
    texts->addWidget(m_appNameTF);
    texts->addWidget(m_versionTF);
    texts->addWidget(m_copyrightTF);
    texts->addStretch(1);
    header->addLayout(texts, 1);
    layout->addLayout(header);

    m_creditsTV = new QTextBrowser(this);
    m_creditsTV->setObjectName("creditsTV");
    m_creditsTV->setAccessibleName(tr("Credits"));
    m_creditsTV->setOpenExternalLinks(true);
    QFile credits(QStringLiteral(":/brivel/Credits.html"));
    if (credits.open(QIODevice::ReadOnly))
        m_creditsTV->setHtml(QString::fromUtf8(credits.readAll()));
    layout->addWidget(m_creditsTV, 1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->setObjectName("aboutButtons");
    auto* web = buttons->addButton(tr("Visit Web Site"), QDialogButtonBox::ActionRole);
    web->setObjectName("webStoreButton");
    connect(web, &QPushButton::clicked, this, &AboutPanelController::goToWebStore);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(480, 420);
}

QString AboutPanelController::versionLine(const QString& shortVersion, const QString& buildNumber) {
    return QStringLiteral("Version %1 (%2)").arg(shortVersion, buildNumber);
}

void AboutPanelController::goToWebStore() {
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(ProductWebPage)));
}

} // namespace brivel::gui
