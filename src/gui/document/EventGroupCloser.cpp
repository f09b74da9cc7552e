#include "gui/document/EventGroupCloser.h"

namespace brivel::gui {

EventGroupCloser::EventGroupCloser(store::ObjectContext& context, QObject* parent)
    : QObject(parent), m_context(context) {
    m_context.addListener(this);
}

EventGroupCloser::~EventGroupCloser() {
    m_context.removeListener(this);
}

void EventGroupCloser::objectsInserted(const std::vector<store::ManagedObject*>&) {
    changed();
}
void EventGroupCloser::objectsDeleted(const std::vector<store::ManagedObject*>&) {
    changed();
}
void EventGroupCloser::objectChanged(store::ManagedObject*, store::KeyId) {
    changed();
}
void EventGroupCloser::contextReset() {
    changed();
}

void EventGroupCloser::changed() {
    if (m_posted)
        return;
    m_posted = true;
    // Queued: runs when control is back in the event loop, after every handler of this event.
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_posted = false;
            m_context.undoManager().endEventGroup();
            emit eventEnded();
        },
        Qt::QueuedConnection);
}

} // namespace brivel::gui
