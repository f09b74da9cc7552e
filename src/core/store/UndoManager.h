#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace brivel::store {

// Records undo actions in groups. While undoing, what the actions register goes to the redo
// stack, and while redoing back to the undo stack, so every change knows how to reverse itself.
// A change registered with no group open opens one that stays open until endEventGroup() (the
// application calls it once per user event) or the next undo.
class UndoManager {
public:
    using Action = std::function<void()>;

    void registerUndo(Action action);

    void beginUndoGrouping();
    void endUndoGrouping();
    int groupingLevel() const { return m_level; }
    // Closes the group opened implicitly by a change made outside any group.
    void endEventGroup();

    bool canUndo() const;
    bool canRedo() const { return !m_redo.empty(); }
    // Names the latest step for the Edit menu ("Add Trade" makes "Undo Add Trade"); undoing a
    // step keeps its name for the Redo. A command names its step after it ran, and only when
    // registrationCount() moved meanwhile: a command that changed nothing names nothing.
    void setActionName(std::string name);
    // How many changes have been registered as steps so far (not those of undo and redo).
    std::size_t registrationCount() const { return m_registered; }
    // The names of the steps Undo and Redo would take; empty when unnamed or none.
    std::string undoActionName() const;
    std::string redoActionName() const;
    void undo();
    void redo();

    void disableUndoRegistration() { ++m_disabled; }
    void enableUndoRegistration() {
        if (m_disabled > 0)
            --m_disabled;
    }
    bool isUndoRegistrationEnabled() const { return m_disabled == 0; }
    bool isUndoing() const { return m_undoing; }
    bool isRedoing() const { return m_redoing; }

    void removeAllActions();
    std::size_t undoStepCount() const { return m_undo.size(); }

private:
    struct Group {
        std::vector<Action> actions;
        std::string name;
        bool empty() const { return actions.empty(); }
        void clear() {
            actions.clear();
            name.clear();
        }
    };
    static void runReversed(Group& group);
    void closeOpenGroups();

    std::vector<Group> m_undo;
    std::vector<Group> m_redo;
    Group m_open; // the group being recorded (explicit or implicit)
    std::size_t m_registered = 0;
    int m_level = 0;
    bool m_implicitOpen = false;
    int m_disabled = 0;
    bool m_undoing = false;
    bool m_redoing = false;
    std::vector<Action>* m_target = nullptr; // where registrations go during undo/redo
};

// Disables undo registration for a scope: changes derived from other changes (a trade's
// re-evaluation) are not steps of their own.
class UndoRegistrationPause {
public:
    explicit UndoRegistrationPause(UndoManager& m) : m_manager(m) { m.disableUndoRegistration(); }
    ~UndoRegistrationPause() { m_manager.enableUndoRegistration(); }
    UndoRegistrationPause(const UndoRegistrationPause&) = delete;
    UndoRegistrationPause& operator=(const UndoRegistrationPause&) = delete;

private:
    UndoManager& m_manager;
};

} // namespace brivel::store
