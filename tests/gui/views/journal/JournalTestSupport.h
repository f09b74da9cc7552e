#pragma once

#include "gui/support/ViewTestAccount.h"
#include "gui/views/journal/JournalView.h"
#include "gui/views/journal/NotesTableView.h"
#include "gui/views/journal/PriceBarrierTableView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace brivel::gui::test {

// The cell editor that has the keyboard (a QLineEdit), or null.
inline QLineEdit* focusedEditor() {
    return qobject_cast<QLineEdit*>(QApplication::focusWidget());
}

// Types into the focused editor and leaves it with the key.
inline void typeAndLeave(const QString& text, Qt::Key key,
                         Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QLineEdit* editor = focusedEditor();
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, key, modifiers);
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

} // namespace brivel::gui::test
