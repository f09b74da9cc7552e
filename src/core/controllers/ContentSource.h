#pragma once

#include "core/store/KeyValueCoding.h"

#include <functional>
#include <vector>

namespace brivel::controllers {

using store::KeyValueCoding;

// Where a list controller's content comes from: the records of an entity, a relationship of the
// record selected in another controller, or an array kept in the preferences.
class ContentSource {
public:
    virtual ~ContentSource() = default;

    // The content, in the source's own order.
    virtual std::vector<KeyValueCoding*> objects() const = 0;
    // A new object for the content, not yet part of it (a record inserted into the context, or
    // an empty dictionary for a preference list). nullptr when the source cannot make one (a
    // relationship source with no selected owner).
    virtual KeyValueCoding* newObject() = 0;
    virtual void addObject(KeyValueCoding* object) = 0;
    // Removes the object from the content (records are deleted from their context).
    virtual void removeObject(KeyValueCoding* object) = 0;

    // The source tells its controller when its content changed. The controller installs these.
    struct Handlers {
        std::function<void(const std::vector<KeyValueCoding*>&)> inserted;
        std::function<void(const std::vector<KeyValueCoding*>&)> removed;
        std::function<void(KeyValueCoding*)> changed; // a value of the object changed
        std::function<void()> reset;                  // anything may have changed
    };
    void setHandlers(Handlers handlers) { m_handlers = std::move(handlers); }

protected:
    void contentInserted(const std::vector<KeyValueCoding*>& objects) {
        if (m_handlers.inserted)
            m_handlers.inserted(objects);
    }
    void contentRemoved(const std::vector<KeyValueCoding*>& objects) {
        if (m_handlers.removed)
            m_handlers.removed(objects);
    }
    void contentChanged(KeyValueCoding* object) {
        if (m_handlers.changed)
            m_handlers.changed(object);
    }
    void contentReset() {
        if (m_handlers.reset)
            m_handlers.reset();
    }

private:
    Handlers m_handlers;
};

} // namespace brivel::controllers
