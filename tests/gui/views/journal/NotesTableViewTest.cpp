#include "JournalTestSupport.h"

using namespace brivel;
using namespace brivel::gui;
using namespace brivel::gui::test;

// Leaving a notes cell: the notes are sorted again only when the user leaves the row's text
// cells, never between them.

class NotesTableViewTest : public QObject {
    Q_OBJECT
private slots:
    void resortsOnlyWhenLeavingTheRowsTextCells_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("resorted");
        const int none = Qt::NoModifier;
        const int shift = Qt::ShiftModifier;
        QTest::newRow("Tab from the comment") << 3 << int(Qt::Key_Tab) << none << true;
        QTest::newRow("Tab from the ticker") << 2 << int(Qt::Key_Tab) << none << false;
        QTest::newRow("Tab from the time") << 1 << int(Qt::Key_Tab) << none << false;
        QTest::newRow("Shift-Tab from the time") << 1 << int(Qt::Key_Backtab) << shift << true;
        QTest::newRow("Shift-Tab from the ticker") << 2 << int(Qt::Key_Backtab) << shift << false;
        QTest::newRow("Shift-Tab from the comment") << 3 << int(Qt::Key_Backtab) << shift << false;
        QTest::newRow("Return in the ticker") << 2 << int(Qt::Key_Return) << none << true;
        QTest::newRow("Return in the comment") << 3 << int(Qt::Key_Return) << none << true;
    }

    void resortsOnlyWhenLeavingTheRowsTextCells() {
        QFETCH(int, column);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, resorted);
        ViewTestAccount account(localTime(2024, 5, 2, 16));
        auto* log = account.addLog(localTime(2024, 5, 2, 8));
        // One time for all: the order is by ticker.
        auto* first = account.addNote(log, localTime(2024, 5, 2, 9), "AAA", "a");
        account.addNote(log, localTime(2024, 5, 2, 9), "BBB", "b");
        account.addNote(log, localTime(2024, 5, 2, 9), "CCC", "c");
        account.endEvent();
        JournalView view(account.env());
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* table = view.noteTV();
        // The first note's ticker moves it to the end of the order once the notes are sorted.
        first->setTicker(std::string("ZZZ"));
        table->setFocus();
        table->editCell(0, column);
        QLineEdit* editor = focusedEditor();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCoreApplication::processEvents();
        const QStringList order = valuesOf(view.notesAC(), "ticker");
        QCOMPARE(order, resorted ? (QStringList{"BBB", "CCC", "ZZZ"})
                                 : (QStringList{"ZZZ", "BBB", "CCC"}));
        if (key == Qt::Key_Tab && column == NotesTableView::CommentColumn) {
            // Typing goes on in the next note's time, found again after the sort.
            QVERIFY(table->isEditing());
            QCOMPARE(table->currentIndex().row(), 0);
            QCOMPARE(table->currentIndex().column(), int(NotesTableView::TimeColumn));
            QCOMPARE(table->arrayModel()->objectAt(0)->valueForKey("ticker").toString(),
                     std::string("BBB"));
        }
        if (!resorted && key == Qt::Key_Tab) {
            QVERIFY(table->isEditing());
            QCOMPARE(table->currentIndex().column(), column + 1);
        }
    }

    void tabWalksTheTextCellsOfEveryRowAndStopsAtTheEnd() {
        Journal j; // on its second day: MSFT at 9:00, AAPL at 11:00
        auto* table = j.view->noteTV();
        table->setFocus();
        table->editCell(0, NotesTableView::TickerColumn);
        typeAndLeave("AAPL", Qt::Key_Tab);
        QCOMPARE(table->currentIndex(), table->model()->index(0, NotesTableView::CommentColumn));
        typeAndLeave("first comment", Qt::Key_Tab);
        // The flag column takes no typed text: the walk goes on at the next row's time.
        QCOMPARE(table->currentIndex(), table->model()->index(1, NotesTableView::TimeColumn));
        QVERIFY(table->isEditing());
        QTest::keyClick(focusedEditor(), Qt::Key_Tab);
        QTest::keyClick(focusedEditor(), Qt::Key_Tab);
        QTest::keyClick(focusedEditor(), Qt::Key_Tab); // past the last text cell
        QVERIFY(!table->isEditing());
        QCOMPARE(table->currentIndex(), table->model()->index(1, NotesTableView::CommentColumn));
        QCOMPARE(valuesOf(j.view->notesAC(), "ticker"), (QStringList{"AAPL", "AAPL"}));
        QCOMPARE(valuesOf(j.view->notesAC(), "comment"),
                 (QStringList{"first comment", "breakout"}));
    }
};

QTEST_MAIN(NotesTableViewTest)
#include "NotesTableViewTest.moc"
