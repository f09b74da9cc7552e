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
    void versionLine_data() {
        QTest::addColumn<QString>("shortVersion");
        QTest::addColumn<QString>("build");
        QTest::addColumn<QString>("line");
        QTest::newRow("short then build") << "1.2"
                                          << "15"
                                          << "Version 1.2 (15)";
        QTest::newRow("placeholders in values stay") << "%2"
                                                     << "%1"
                                                     << "Version %2 (%1)";
    }

    void versionLine() {
        QFETCH(QString, shortVersion);
        QFETCH(QString, build);
        QFETCH(QString, line);
        QCOMPARE(gui::AboutPanelController::versionLine(shortVersion, build), line);
    }

    void showsNameVersionCopyrightAndCredits() {
        QApplication::setApplicationName("Brivel Trade Journal");
        QApplication::setApplicationVersion("0.9");
        gui::AboutPanelController panel;
        QCOMPARE(panel.appNameTF()->text(), QStringLiteral("Brivel Trade Journal"));
        QVERIFY(panel.versionTF()->text().startsWith("Version 0.9 ("));
        QVERIFY(panel.copyrightTF()->text().startsWith(QStringLiteral("Copyright ©")));
        QVERIFY(panel.creditsTV()->toPlainText().contains("Qt"));
        QVERIFY(panel.findChild<QPushButton*>("webStoreButton"));
    }
};

QTEST_MAIN(AboutPanelControllerTest)
#include "AboutPanelControllerTest.moc"
