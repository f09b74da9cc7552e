#include "core/import/ImportedTradeSource.h"

#include "core/model/Trade.h"

namespace brivel::import {

std::vector<controllers::KeyValueCoding*> ImportedTradeSource::objects() const {
    if (!m_current)
        return {};
    return {m_current};
}

controllers::KeyValueCoding* ImportedTradeSource::newObject() {
    return m_context.insertNewObjectForEntityForName(model::Trade::entityName());
}

void ImportedTradeSource::addObject(controllers::KeyValueCoding* object) {
    m_current = object;
    contentReset();
}

void ImportedTradeSource::removeObject(controllers::KeyValueCoding* object) {
    if (object == m_current)
        m_current = nullptr;
    if (auto* record = dynamic_cast<store::ManagedObject*>(object))
        m_context.deleteObject(record);
    contentReset();
}

} // namespace brivel::import
