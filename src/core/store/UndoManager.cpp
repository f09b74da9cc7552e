#include "core/store/UndoManager.h"

namespace brivel::store {

void UndoManager::registerUndo(Action action) {
    if (m_disabled > 0)
        return;
    if (m_target) {
        // During undo the reversing actions build the redo group, during redo the undo group.
        m_target->push_back(std::move(action));
        return;
    }
    if (m_level == 0 && !m_implicitOpen) {
        m_implicitOpen = true;
        m_open.clear();
    }
    m_open.actions.push_back(std::move(action));
    ++m_registered;
    m_redo.clear();
}

void UndoManager::beginUndoGrouping() {
    if (m_level == 0 && !m_implicitOpen) {
        m_open.clear();
    }
    ++m_level;
}

void UndoManager::endUndoGrouping() {
    if (m_level == 0)
        return;
    --m_level;
    if (m_level == 0 && !m_implicitOpen && !m_open.empty()) {
        m_undo.push_back(std::move(m_open));
        m_open.clear();
    }
}

void UndoManager::endEventGroup() {
    if (!m_implicitOpen)
        return;
    m_implicitOpen = false;
    if (m_level == 0 && !m_open.empty()) {
        m_undo.push_back(std::move(m_open));
        m_open.clear();
    }
}

void UndoManager::closeOpenGroups() {
    m_level = 0;
    m_implicitOpen = false;
    if (!m_open.empty()) {
        m_undo.push_back(std::move(m_open));
        m_open.clear();
    }
}

bool UndoManager::canUndo() const {
    return !m_undo.empty() || !m_open.empty();
}

void UndoManager::setActionName(std::string name) {
    if (!m_open.empty())
        m_open.name = std::move(name);
    else if (!m_undo.empty())
        m_undo.back().name = std::move(name);
}

std::string UndoManager::undoActionName() const {
    if (!m_open.empty())
        return m_open.name;
    return m_undo.empty() ? std::string() : m_undo.back().name;
}

std::string UndoManager::redoActionName() const {
    return m_redo.empty() ? std::string() : m_redo.back().name;
}

void UndoManager::runReversed(Group& group) {
    for (auto it = group.actions.rbegin(); it != group.actions.rend(); ++it)
        (*it)();
}

void UndoManager::undo() {
    closeOpenGroups();
    if (m_undo.empty())
        return;
    Group group = std::move(m_undo.back());
    m_undo.pop_back();
    Group reverse{{}, group.name};
    m_undoing = true;
    m_target = &reverse.actions;
    runReversed(group);
    m_target = nullptr;
    m_undoing = false;
    if (!reverse.empty())
        m_redo.push_back(std::move(reverse));
}

void UndoManager::redo() {
    closeOpenGroups();
    if (m_redo.empty())
        return;
    Group group = std::move(m_redo.back());
    m_redo.pop_back();
    Group reverse{{}, group.name};
    m_redoing = true;
    m_target = &reverse.actions;
    runReversed(group);
    m_target = nullptr;
    m_redoing = false;
    if (!reverse.empty())
        m_undo.push_back(std::move(reverse));
}

void UndoManager::removeAllActions() {
    m_undo.clear();
    m_redo.clear();
    m_open.clear();
    m_implicitOpen = false;
}

} // namespace brivel::store
