#include "JournalTestSupport.h"

using namespace brivel;
using namespace brivel::gui;
using namespace brivel::gui::test;

// The Tab walk through the levels of every index of the day.

class PriceBarrierTableViewTest : public QObject {
    Q_OBJECT
private slots:
    void tabAndShiftTabWalkThroughTheLevels_data() {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("back");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<int>("toRow");
        QTest::addColumn<int>("toColumn");
        QTest::newRow("Tab from resistance, row 0") << 0 << 2 << false << true << 1 << 1;
        QTest::newRow("Tab from support") << 1 << 1 << false << true << 1 << 2;
        QTest::newRow("Tab from resistance, last row") << 2 << 2 << false << false << 2 << 2;
        QTest::newRow("Shift-Tab from support, row 1") << 1 << 1 << true << true << 0 << 2;
        QTest::newRow("Shift-Tab from resistance") << 1 << 2 << true << true << 1 << 1;
        QTest::newRow("Shift-Tab from support, first row") << 0 << 1 << true << false << 0 << 1;
    }

    void tabAndShiftTabWalkThroughTheLevels() {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(bool, back);
        QFETCH(bool, editing);
        QFETCH(int, toRow);
        QFETCH(int, toColumn);
        Journal j; // on its second day: DOW, NASDAQ and SPX
        auto* table = j.view->priceBarrierTV();
        table->setFocus();
        table->editCell(row, column);
        QVERIFY(focusedEditor());
        QTest::keyClick(focusedEditor(), back ? Qt::Key_Backtab : Qt::Key_Tab,
                        back ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(table->isEditing(), editing);
        QCOMPARE(table->currentIndex().row(), toRow);
        QCOMPARE(table->currentIndex().column(), toColumn);
        if (editing) {
            // The next row alone is selected, its text selected for typing over.
            QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
            QCOMPARE(table->selectionModel()->selectedRows()[0].row(), toRow);
            QCOMPARE(focusedEditor()->selectedText(), focusedEditor()->text());
            QVERIFY(!focusedEditor()->text().isEmpty());
        }
    }

    void fillsTheLevelsOfEveryIndexInOneGo() {
        ViewTestAccount account(localTime(2024, 5, 2, 16));
        auto* log = account.addLog(localTime(2024, 5, 2, 8));
        auto* dow = account.addBarrier(log, "DOW", 0, 0);
        auto* nasdaq = account.addBarrier(log, "NASDAQ", 0, 0);
        dow->setSupport(std::nullopt);
        account.endEvent();
        JournalView view(account.env());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.priceBarrierTV()->setFocus();
        view.priceBarrierTV()->editCell(0, PriceBarrierTableView::SupportColumn);
        typeAndLeave("38,400", Qt::Key_Tab);
        typeAndLeave("39050", Qt::Key_Tab);
        typeAndLeave("15800.25", Qt::Key_Tab);
        typeAndLeave("lots", Qt::Key_Tab); // not a number: the cell stays in editing
        QCOMPARE(view.priceBarrierTV()->currentIndex().column(), 2);
        typeAndLeave("16150", Qt::Key_Tab);
        QCOMPARE(dow->supportValue(), 38400.0);
        QCOMPARE(dow->resistanceValue(), 39050.0);
        QCOMPARE(nasdaq->supportValue(), 15800.25);
        QCOMPARE(nasdaq->resistanceValue(), 16150.0);
    }
};

QTEST_MAIN(PriceBarrierTableViewTest)
#include "PriceBarrierTableViewTest.moc"
