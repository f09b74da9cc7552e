// Where the enlarged image panel opens: its top-left corner at the mouse, kept inside the
// available area of the screen under the mouse, top and right edges winning for large panels.

#include "gui/views/trade/EnlargedImgPanel.h"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QtTest>

using brivel::gui::EnlargedImgPanel;

class EnlargedImgPanelTest : public QObject {
    Q_OBJECT

private slots:
    void placement_data() {
        QTest::addColumn<QPoint>("mouse");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("expected");
        // Available area: 0..1919 wide, 30..1049 high (a panel at the top, a dock at the bottom).
        QTest::newRow("room to spare")
            << QPoint(100, 200) << QSize(720, 450) << QRect(100, 200, 720, 450);
        QTest::newRow("bottom-right corner")
            << QPoint(1919, 1079) << QSize(720, 450) << QRect(1920 - 720, 1050 - 450, 720, 450);
        QTest::newRow("above the top panel")
            << QPoint(50, 5) << QSize(300, 200) << QRect(50, 30, 300, 200);
        QTest::newRow("left of the area")
            << QPoint(-40, 100) << QSize(300, 200) << QRect(0, 100, 300, 200);
        QTest::newRow("wider than the area")
            << QPoint(500, 100) << QSize(2400, 300) << QRect(1920 - 2400, 100, 2400, 300);
        QTest::newRow("taller than the area")
            << QPoint(500, 900) << QSize(400, 1500) << QRect(500, 30, 400, 1500);
    }
    void placement() {
        QFETCH(QPoint, mouse);
        QFETCH(QSize, frame);
        QFETCH(QRect, expected);
        const QRect available(0, 30, 1920, 1020);
        QCOMPARE(EnlargedImgPanel::placement(mouse, frame, available), expected);
        // Without a screen under the mouse the panel stays at the mouse.
        QCOMPARE(EnlargedImgPanel::placement(mouse, frame, std::nullopt), QRect(mouse, frame));
    }

    void growsFromASmallFrameToTheImageSizeInAFifthOfASecond() {
        EnlargedImgPanel panel;
        QImage image(400, 250, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QScreen* screen = QGuiApplication::primaryScreen();
        QVERIFY(screen);
        const QRect area = screen->availableGeometry();
        const QPoint mouse = area.bottomRight();
        panel.showImage(image, QStringLiteral("Entry Image"), mouse);
        QCOMPARE(panel.windowTitle(), QStringLiteral("Entry Image"));
        QVERIFY(panel.isVisible());
        // It starts at the mouse, small, and ends inside the screen with the image's size.
        QVERIFY(panel.geometry().width() < 400);
        QCOMPARE(panel.targetFrame().size(), QSize(400, 250));
        QVERIFY(area.contains(panel.targetFrame()));
        QCOMPARE(panel.targetFrame().bottomRight(), area.bottomRight());
        auto* animation = panel.findChild<QPropertyAnimation*>();
        QVERIFY(animation);
        QCOMPARE(animation->duration(), 200);
        QTRY_COMPARE_WITH_TIMEOUT(panel.geometry(), panel.targetFrame(), 2000);
        QCOMPARE(panel.image().size(), QSize(400, 250));
    }
};

QTEST_MAIN(EnlargedImgPanelTest)
#include "EnlargedImgPanelTest.moc"
