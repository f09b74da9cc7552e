#include "core/platform/NotificationCenter.h"

#include <algorithm>

namespace brivel {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const std::string& name,
                                                          const void* object, Handler handler) {
    Token t = m_next++;
    m_entries.push_back(Entry{t, name, object, std::move(handler)});
    return t;
}

void NotificationCenter::removeObserver(Token token) {
    std::erase_if(m_entries, [token](const Entry& e) { return e.token == token; });
}

void NotificationCenter::post(const std::string& name, const void* object) {
    // A handler may add or remove observers: work on a copy.
    auto entries = m_entries;
    for (const auto& e : entries)
        if (e.name == name && (e.object == nullptr || e.object == object))
            e.handler(name, object);
}

} // namespace brivel
