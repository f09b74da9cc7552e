#include "gui/app/QtScheduler.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace brivel;

class QtSchedulerTest : public QObject {
    Q_OBJECT
private slots:
    void runsByDueTimeThenSchedulingOrderAndNothingInsideTheCall() {
        gui::QtScheduler scheduler;
        QStringList ran;
        QElapsedTimer clock;
        clock.start();
        qint64 lateAfter = -1;
        scheduler.schedule(0.05, [&] {
            ran << "late";
            lateAfter = clock.elapsed();
        });
        scheduler.schedule(0.01, [&] { ran << "first"; });
        scheduler.schedule(0.01, [&] { ran << "second"; });
        scheduler.schedule(0.0, [&] { ran << "now"; });
        QVERIFY(ran.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(ran.size(), 4, 2000);
        QCOMPARE(ran, (QStringList{"now", "first", "second", "late"}));
        QVERIFY(lateAfter >= 49);
        QTRY_COMPARE(scheduler.pendingCount(), std::size_t(0));
    }

    void aFunctionMayDestroyItsScheduler() {
        auto* scheduler = new gui::QtScheduler;
        bool after = false;
        std::string captured = "kept alive";
        std::string seen;
        scheduler->schedule(0.0, [&, captured] {
            delete scheduler;
            seen = captured; // the function's captures outlive its scheduler
        });
        scheduler->schedule(0.0, [&] { after = true; });
        QTRY_COMPARE(seen, std::string("kept alive"));
        QTest::qWait(20);
        QVERIFY(!after);
    }
};

QTEST_MAIN(QtSchedulerTest)
#include "QtSchedulerTest.moc"
