#include "gui/app/AboutPanelController.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QtTest>

using namespace brivel;

class AboutPanelControllerTest : public QObject {
    Q_OBJECT
private slots:
    void showsNameVersionCopyrightAndCredits() {
        QApplication::setApplicationName("Brivel Trade Journal");
        QApplication::setApplicationVersion("0.9");
        gui::AboutPanelController panel;
        QCOMPARE(panel.appNameTF()->text(), QStringLiteral("Brivel Trade Journal"));
        QVERIFY(panel.versionTF()->text().startsWith("Version 0.9 ("));
        QVERIFY(panel.copyrightTF()->text().startsWith(QStringLiteral("Copyright ©")));
        QVERIFY(panel.creditsTV()->toPlainText().contains("Qt"));
        QVERIFY(panel.findChild<QPushButton*>("webStoreButton"));
        // Short version, then build; placeholders in the values stay as they are.
        QCOMPARE(gui::AboutPanelController::versionLine("1.2", "15"), "Version 1.2 (15)");
        QCOMPARE(gui::AboutPanelController::versionLine("%2", "%1"), "Version %2 (%1)");
    }
};

QTEST_MAIN(AboutPanelControllerTest)
#include "AboutPanelControllerTest.moc"
