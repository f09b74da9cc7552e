#pragma once

#include <QObject>

#ifndef Q_MOC_RUN
#include "core/store/ObjectContext.h"
#endif

namespace brivel::gui {

// Ends the context's undo group once the event that changed the context has been handled, so
// that everything one user event changes (a typed cell, an added note with its defaults) is one
// step of Undo. The end is posted to the event loop on the first change of an event and runs
// after the event's handlers have returned.
class EventGroupCloser : public QObject, private store::ContextListener {
    Q_OBJECT
public:
    explicit EventGroupCloser(store::ObjectContext& context, QObject* parent = nullptr);
    ~EventGroupCloser() override;

signals:
    // The event that changed the context is over: undo state and the unsaved-changes mark may
    // have changed.
    void eventEnded();

private:
    void objectsInserted(const std::vector<store::ManagedObject*>& objects) override;
    void objectsDeleted(const std::vector<store::ManagedObject*>& objects) override;
    void objectChanged(store::ManagedObject* object, store::KeyId key) override;
    void contextReset() override;
    void changed();

    store::ObjectContext& m_context;
    bool m_posted = false;
};

} // namespace brivel::gui
