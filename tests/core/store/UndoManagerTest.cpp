#include "core/store/UndoManager.h"

#include <gtest/gtest.h>

using brivel::store::UndoManager;

namespace {

// A change that registers its own reverse, as the store's changes do, so undo feeds redo.
void set(UndoManager& undo, int& value, int to) {
    const int old = value;
    value = to;
    undo.registerUndo([&undo, &value, old] { set(undo, value, old); });
}

// One user event that changes something and names its step the way a command does: after it ran.
void event(UndoManager& undo, int& value, const char* name) {
    const auto before = undo.registrationCount();
    set(undo, value, value + 1);
    if (name && undo.registrationCount() != before)
        undo.setActionName(name);
    undo.endEventGroup();
}

} // namespace

TEST(UndoManagerTest, StepsKeepTheirNamesThroughUndoAndRedo) {
    UndoManager undo;
    int value = 0;
    event(undo, value, "Add Trade");
    event(undo, value, "Typing");
    EXPECT_EQ(undo.undoActionName(), "Typing");

    undo.undo();
    EXPECT_EQ(value, 1);
    EXPECT_EQ(undo.undoActionName(), "Add Trade");
    EXPECT_EQ(undo.redoActionName(), "Typing");
    undo.undo();
    EXPECT_EQ(undo.undoActionName(), "");
    EXPECT_EQ(undo.redoActionName(), "Add Trade");
    undo.redo();
    EXPECT_EQ(undo.undoActionName(), "Add Trade");
    EXPECT_EQ(undo.redoActionName(), "Typing");
    // Undo and redo are not counted as new changes.
    EXPECT_EQ(undo.registrationCount(), 2u);
}

TEST(UndoManagerTest, ANamedStepOpenOrClosedAndAnUnnamedOne) {
    UndoManager undo;
    int value = 0;
    event(undo, value, nullptr);
    EXPECT_EQ(undo.undoActionName(), "");
    // An explicit group, named once it has closed.
    undo.beginUndoGrouping();
    undo.registerUndo([] {});
    undo.endUndoGrouping();
    undo.setActionName("Paste Image");
    EXPECT_EQ(undo.undoActionName(), "Paste Image");
    // A new step starts without a name.
    event(undo, value, nullptr);
    EXPECT_EQ(undo.undoActionName(), "");
}
