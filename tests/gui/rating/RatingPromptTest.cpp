#include "gui/rating/RatingPrompt.h"

#include "core/app/Preferences.h"
#include "core/platform/Clock.h"
#include "core/rating/RatingPrompt.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QtTest>

using namespace brivel;

class RatingPromptTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("BRIVEL_NO_RATING_PROMPT", "0"); }

    void ratingOpensTheAddressTwiceTwoSecondsApart() {
        Fixture f;
        f.prompt.core().incrementAndRate(true);
        QTRY_VERIFY(f.prompt.alert() != nullptr);
        QCOMPARE(f.prompt.alert()->windowTitle(), QString("Rate %1").arg(qApp->applicationName()));
        QPushButton* rate = f.button(QString("Rate %1").arg(qApp->applicationName()));
        QVERIFY(rate);
        QCOMPARE(f.prompt.alert()->defaultButton(), rate);

        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(100);
        rate->click();
        QCOMPARE(f.opened.size(), 1);
        QCOMPARE(f.opened[0].first, QUrl("https://brivel.app/review?app=604118"));
        QTRY_COMPARE_WITH_TIMEOUT(f.opened.size(), 2, 5000);
        QCOMPARE(f.opened[1].first, f.opened[0].first);
        const qint64 gap = f.opened[1].second - f.opened[0].second;
        QVERIFY2(gap >= 1990 && gap < 3000, qPrintable(QString::number(gap)));
        QVERIFY2(ticks >= 10, "the event loop kept running between the two openings");
        QVERIFY(f.prefs.boolForKey(rating::kRatingPromptRatedCurrentVersion));
    }

    void noThanksEndsThePromptAndOpensNothing() {
        Fixture f;
        f.prompt.core().incrementAndRate(true);
        QTRY_VERIFY(f.prompt.alert() != nullptr);
        f.button("No, Thanks")->click();
        QTest::qWait(50);
        QVERIFY(f.opened.isEmpty());
        QVERIFY(f.prefs.boolForKey(rating::kRatingPromptDeclinedToRate));
        f.prompt.core().incrementAndRate(true);
        QTest::qWait(50);
        QVERIFY(f.prompt.alert() == nullptr);
    }

private:
    // A prompt whose conditions are all met, over a fresh preferences file.
    struct Fixture {
        test::TempDir dir;
        app::Preferences prefs{dir / "prefs.json"};
        FixedClock clock{Date(1'700'000'000.0)};
        QWidget window;
        gui::RatingPrompt prompt{prefs, clock, [this] { return &window; }};
        QList<QPair<QUrl, qint64>> opened;
        QElapsedTimer elapsed;

        Fixture() {
            prefs.setObject(1'000'000.0, rating::kRatingPromptFirstUseDate);
            prefs.setObject(10, rating::kRatingPromptUseCount);
            prefs.setObject(10, rating::kRatingPromptSignificantEventCount);
            prompt.setReachabilityOverride(true);
            elapsed.start();
            prompt.setUrlOpener([this](const QUrl& url) {
                opened.append({url, elapsed.elapsed()});
            });
            window.show();
        }
        QPushButton* button(const QString& text) const {
            for (QAbstractButton* b : prompt.alert()->buttons())
                if (b->text() == text)
                    return qobject_cast<QPushButton*>(b);
            return nullptr;
        }
    };
};

QTEST_MAIN(RatingPromptTest)
#include "RatingPromptTest.moc"
