#include "JournalTestSupport.h"

#include "gui/views/journal/NoteDetailPanel.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSignalSpy>

using namespace brivel;
using namespace brivel::gui;
using namespace brivel::gui::test;

class JournalViewTest : public QObject {
    Q_OBJECT
private slots:
    void createNotePlacesTheNewNoteLastAndEditsItsTicker() {
        Journal j;
        j.view->createNote();
        const auto& notes = j.view->notesAC().arrangedObjects();
        QCOMPARE(notes.size(), 3u);
        auto* created = static_cast<model::Note*>(notes.back()); // stamped: RecordRulesTest
        QVERIFY(j.view->noteTV()->isEditing());
        QCOMPARE(j.view->noteTV()->currentIndex().row(), 2);
        QCOMPARE(j.view->noteTV()->currentIndex().column(), NotesTableView::TickerColumn);
        typeAndLeave("NVDA", Qt::Key_Return);
        QCOMPARE(created->ticker(), std::optional<std::string>("NVDA"));

        // No note without a selected day.
        j.view->logAC().setSelectionIndexes({});
        QCOMPARE(j.view->notesAC().arrangedObjects().size(), 0u);
        QVERIFY(!j.view->findChild<QAction*>("createNoteAction")->isEnabled());
        j.view->createNote();
        QCOMPARE(j.account.context().registeredObjects("Note").size(), 4u);
    }

    void undoingTheNewNoteKeepsWhatWasTypedBefore() {
        Journal j;
        auto* model = j.view->noteTV()->model();
        // Typed into the first note in the same event as the command (no event end between).
        QVERIFY(model->setData(model->index(0, NotesTableView::CommentColumn), "typed before"));
        j.view->createNote();
        j.account.endEvent();
        typeAndLeave("TSLA", Qt::Key_Return);
        j.account.endEvent();
        auto& undo = j.account.context().undoManager();
        undo.undo(); // the ticker typed into the new note
        undo.undo(); // the new note
        QCOMPARE(j.view->notesAC().arrangedObjects().size(), 2u);
        QCOMPARE(static_cast<model::Note*>(j.view->notesAC().arrangedObjects()[0])->comment(),
                 std::optional<std::string>("typed before"));
        undo.undo();
        QCOMPARE(static_cast<model::Note*>(j.view->notesAC().arrangedObjects()[0])->comment(),
                 std::optional<std::string>("opening range"));
    }

    void aRefusedDateKeepsTheCellInEditingAndStopsANewNote() {
        Journal j;
        auto* note = static_cast<model::Note*>(j.view->notesAC().arrangedObjects()[0]);
        j.view->noteTV()->setFocus();
        j.view->noteTV()->editCell(0, NotesTableView::TimeColumn);
        typeAndLeave("the day after", Qt::Key_Return);
        QVERIFY(j.view->noteTV()->isEditing());
        QCOMPARE(focusedEditor()->text(), QStringLiteral("the day after"));
        typeAndLeave("the day after", Qt::Key_Tab);
        QVERIFY(j.view->noteTV()->isEditing());
        QCOMPARE(note->timestamp(), localTime(2024, 5, 2, 9));
        // Nor does a new note come while the refused text is in the cell.
        j.account.memoryLog.clear();
        j.view->createNote();
        QVERIFY(j.account.memoryLog.contains("Unable to end editing for adding a note"));
        QCOMPARE(j.view->notesAC().arrangedObjects().size(), 2u);
        QVERIFY(j.view->noteTV()->isEditing());
        QCOMPARE(focusedEditor()->text(), QStringLiteral("the day after"));
        QVERIFY(!j.view->commitEditing());
        // The short, medium and long styles are read; the day shows in the medium style.
        typeAndLeave("5/4/24", Qt::Key_Return);
        QVERIFY(!j.view->noteTV()->isEditing());
        QCOMPARE(note->timestamp(), localTime(2024, 5, 4));

        j.view->logTV()->setFocus();
        j.view->findChild<journal::JournalTableView*>("logTV")->editCell(0, 0);
        typeAndLeave("April 30, 2024", Qt::Key_Return);
        QCOMPARE(j.day1->date(), localTime(2024, 4, 30));
        QCOMPARE(j.view->logTV()->model()->index(0, 0).data().toString(),
                 QStringLiteral("Apr 30, 2024"));
    }

    void opensOnTheNewestDayAndShowsItsIndexLevelsWithoutTouchingTheLevelsTable() {
        Journal j;
        QCOMPARE(j.view->logAC().selectedObjects(), std::vector<store::KeyValueCoding*>{j.day2});
        QCOMPARE(j.view->notesAC().arrangedObjects().size(), 2u);
        QCOMPARE(j.view->logTV()->model()->index(0, 0).data().toString(),
                 QStringLiteral("May 1, 2024"));
        QCOMPARE(j.view->noteTV()->model()->index(0, NotesTableView::TimeColumn).data().toString(),
                 QStringLiteral("May 2, 2024, 9:00 AM"));
        auto& barriers = j.view->priceBarrierAC();
        QCOMPARE(valuesOf(barriers, "ticker"), (QStringList{"DOW", "NASDAQ", "SPX"}));
        barriers.setSelectionIndexes({2});
        QCOMPARE(j.view->indexLevelsText(),
                 QStringLiteral("NASDAQ 15,800 / 16,150    DOW 38,400 / 39,050"));
        QCOMPARE(barriers.selectionIndexes(), std::vector<std::size_t>{2});
        QVERIFY(j.view->priceBarrierTV()->selectionModel()->isRowSelected(2));
        // Edits show at once; another day shows its own levels.
        auto* model = j.view->priceBarrierTV()->model();
        QVERIFY(model->setData(model->index(1, PriceBarrierTableView::SupportColumn), "15,900.5"));
        QCOMPARE(j.view->indexLevelsText(),
                 QStringLiteral("NASDAQ 15,900.50 / 16,150    DOW 38,400 / 39,050"));
        j.view->logAC().setSelectionIndexes({0});
        QCOMPARE(j.view->indexLevelsText(), QString());
    }

    void notesAndLevelsAreAddedAndDeletedWithoutAskingDaysWithAQuestion() {
        Journal j;
        j.view->notesAC().setSelectionIndexes({0, 1});
        j.view->removeNotes();
        QCOMPARE(j.view->notesAC().arrangedObjects().size(), 0u);
        j.view->addPriceBarrier();
        QCOMPARE(j.view->priceBarrierAC().arrangedObjects().size(), 4u);
        QVERIFY(j.view->priceBarrierTV()->isEditing());
        j.view->priceBarrierTV()->commitEdit();
        j.view->priceBarrierAC().setSelectionIndexes({0});
        j.view->removePriceBarriers();
        // Unanswered, a question would have said no: these went without one.
        QCOMPARE(j.view->priceBarrierAC().arrangedObjects().size(), 3u);
        // A new day carries the levels forward and starts with one note.
        j.view->addLog();
        QCOMPARE(j.view->logAC().arrangedObjects().size(), 3u);
        QCOMPARE(j.view->notesAC().arrangedObjects().size(), 1u);
        QVERIFY(j.view->indexLevelsText().contains("NASDAQ 15,800 / 16,150"));
        // Deleting a day asks first (the question itself is the controller's test).
        j.account.prompter.queueAnswer(false);
        j.view->removeLogs();
        QCOMPARE(j.view->logAC().arrangedObjects().size(), 3u);
        j.account.prompter.queueAnswer(true);
        j.view->removeLogs();
        QCOMPARE(j.view->logAC().arrangedObjects().size(), 2u);
    }

    void panelPlacementKeepsThePanelOnTheScreen_data() {
        QTest::addColumn<QPoint>("mouse");
        QTest::addColumn<QPoint>("topLeft");
        // A 400 x 300 panel; the available area is (0, 30) to (1920, 1050), below a top panel.
        QTest::newRow("room everywhere") << QPoint(500, 400) << QPoint(500, 400);
        QTest::newRow("right edge") << QPoint(1800, 400) << QPoint(1520, 400);
        QTest::newRow("bottom edge") << QPoint(500, 1000) << QPoint(500, 750);
        QTest::newRow("bottom right corner") << QPoint(1919, 1049) << QPoint(1520, 750);
        QTest::newRow("above the area") << QPoint(-20, 10) << QPoint(0, 30);
    }

    void panelPlacementKeepsThePanelOnTheScreen() {
        QFETCH(QPoint, mouse);
        QFETCH(QPoint, topLeft);
        const QRect available(0, 30, 1920, 1020);
        QCOMPARE(NoteDetailPanel::placement(mouse, QSize(400, 300), available), topLeft);
        // Without a screen under the mouse the panel goes where the mouse is.
        QCOMPARE(NoteDetailPanel::placement(mouse, QSize(400, 300), std::nullopt), mouse);
        // Taller than the area: the top wins.
        QCOMPARE(NoteDetailPanel::placement(mouse, QSize(400, 2000), available).y(), 30);
    }

    void noteDetailPanelEditsTheSelectedNoteAtLength() {
        Journal j;
        auto* panel = j.view->noteDetailPanel();
        j.view->notesAC().setSelectionIndexes({});
        j.view->doubleClickNote(QPoint(10, 10));
        QVERIFY(!panel->isVisible()); // no note selected

        j.view->notesAC().setSelectionIndexes({0});
        auto* note = static_cast<model::Note*>(j.view->notesAC().arrangedObjects()[0]);
        j.view->doubleClickNote(j.view->mapToGlobal(QPoint(20, 20)));
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->note(), note);
        auto* comment = panel->findChild<QPlainTextEdit*>("noteDetailCommentTV");
        QCOMPARE(comment->toPlainText(), QStringLiteral("opening range"));
        comment->setPlainText("Line one\nLine two");
        panel->findChild<QLineEdit*>("noteDetailTickerTF")->setText("ZZZZ");
        j.view->closeNoteDetail();
        QVERIFY(!panel->isVisible());
        QCOMPARE(note->comment(), std::optional<std::string>("Line one\nLine two"));
        // Closing re-sorts: the two notes are at different times, so the order stays by time.
        QCOMPARE(j.view->notesAC().arrangedObjects()[0], note);
    }
};

QTEST_MAIN(JournalViewTest)
#include "JournalViewTest.moc"
