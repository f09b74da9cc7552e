#pragma once

#include "gui/support/ViewTestAccount.h"
#include "gui/views/journal/JournalView.h"
#include "gui/views/journal/NotesTableView.h"
#include "gui/views/journal/PriceBarrierTableView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <memory>

namespace brivel::gui::test {

// The cell editor that has the keyboard (a QLineEdit), or null.
inline QLineEdit* focusedEditor() {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

// Types into the focused editor and leaves it with the key.
inline void typeAndLeave(const QString& text, Qt::Key key) {
    QLineEdit* editor = focusedEditor();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key);
    QCoreApplication::processEvents(); // Return ends editing through a queued call
}

// The values of one key of the arranged objects of a controller, as text.
inline QStringList valuesOf(const controllers::ArrayController& controller, const char* key) {
    QStringList out;
    for (auto* object : controller.arrangedObjects()) {
        auto v = object->valueForKey(key);
        out << (v.type() == store::Value::Type::String ? QString::fromStdString(v.toString())
                                                       : QString::number(v.toDouble()));
    }
    return out;
}

// Two days of journal, the second with two notes and the levels of three indices (DOW, NASDAQ,
// SPX, sorted by name), shown in a journal view.
struct Journal {
    ViewTestAccount account{localTime(2024, 5, 3, 14, 0)};
    model::Log* day1 = nullptr;
    model::Log* day2 = nullptr;
    std::unique_ptr<JournalView> view;

    Journal() {
        day1 = account.addLog(localTime(2024, 5, 1, 8));
        account.addNote(day1, localTime(2024, 5, 1, 9), "AAPL", "early");
        day2 = account.addLog(localTime(2024, 5, 2, 8));
        account.addNote(day2, localTime(2024, 5, 2, 9), "MSFT", "opening range");
        account.addNote(day2, localTime(2024, 5, 2, 11), "AAPL", "breakout");
        account.addBarrier(day2, "NASDAQ", 15800, 16150);
        account.addBarrier(day2, "DOW", 38400, 39050);
        account.addBarrier(day2, "SPX", 5000, 5100);
        account.endEvent();
        view = std::make_unique<JournalView>(account.env());
        view->resize(1000, 700);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    }
};

} // namespace brivel::gui::test
