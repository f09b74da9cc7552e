#include "core/controllers/RecordContentSources.h"

#include <algorithm>
#include <stdexcept>

namespace brivel::controllers {

using store::ManagedObject;

namespace {
std::vector<KeyValueCoding*> asItems(const std::vector<ManagedObject*>& objects) {
    return {objects.begin(), objects.end()};
}
ManagedObject* asRecord(KeyValueCoding* object) {
    return dynamic_cast<ManagedObject*>(object);
}
} // namespace

EntityContentSource::EntityContentSource(store::ObjectContext& context, std::string entityName)
    : m_context(context), m_entity(context.model().entity(entityName)) {
    if (!m_entity)
        throw std::invalid_argument("no entity named " + entityName);
    m_context.addListener(this);
}

EntityContentSource::~EntityContentSource() {
    m_context.removeListener(this);
}

std::vector<KeyValueCoding*> EntityContentSource::objects() const {
    return asItems(m_context.registeredObjects(m_entity->name));
}

KeyValueCoding* EntityContentSource::newObject() {
    return m_context.insertNewObjectForEntityForName(m_entity->name);
}

void EntityContentSource::addObject(KeyValueCoding* /*object*/) {
    // A new record is part of the entity's content from its insertion on.
}

void EntityContentSource::removeObject(KeyValueCoding* object) {
    if (auto* r = asRecord(object))
        m_context.deleteObject(r);
}

void EntityContentSource::objectsInserted(const std::vector<ManagedObject*>& objects) {
    std::vector<KeyValueCoding*> mine;
    for (auto* o : objects)
        if (&o->entity() == m_entity)
            mine.push_back(o);
    if (!mine.empty())
        contentInserted(mine);
}

void EntityContentSource::objectsDeleted(const std::vector<ManagedObject*>& objects) {
    std::vector<KeyValueCoding*> mine;
    for (auto* o : objects)
        if (&o->entity() == m_entity)
            mine.push_back(o);
    if (!mine.empty())
        contentRemoved(mine);
}

void EntityContentSource::objectChanged(ManagedObject* object, store::KeyId /*key*/) {
    if (&object->entity() == m_entity && !object->isDeleted())
        contentChanged(object);
}

void EntityContentSource::contextWillReset() {}
void EntityContentSource::contextReset() {
    ContentSource::contentReset();
}

RelationshipContentSource::RelationshipContentSource(store::ObjectContext& context,
                                                     ArrayController& master,
                                                     std::string relationshipKey)
    : m_context(context), m_master(master), m_key(std::move(relationshipKey)),
      m_keyId(store::internKey(m_key)) {
    m_context.addListener(this);
    m_master.addListener(this);
    m_shownOwner = owner();
}

RelationshipContentSource::~RelationshipContentSource() {
    m_context.removeListener(this);
    m_master.removeListener(this);
}

ManagedObject* RelationshipContentSource::owner() const {
    auto selected = m_master.selectedObjects();
    if (selected.size() != 1)
        return nullptr;
    auto* r = asRecord(selected.front());
    return r && !r->isDeleted() ? r : nullptr;
}

std::vector<KeyValueCoding*> RelationshipContentSource::objects() const {
    auto* o = owner();
    if (!o)
        return {};
    return asItems(o->toManyForKey(m_key));
}

KeyValueCoding* RelationshipContentSource::newObject() {
    auto* o = owner();
    if (!o)
        return nullptr;
    int r = o->entity().relationshipIndex(m_key);
    return m_context.insertNewObjectForEntityForName(
        o->entity().relationships[static_cast<std::size_t>(r)].destinationName);
}

void RelationshipContentSource::addObject(KeyValueCoding* object) {
    auto* o = owner();
    auto* r = asRecord(object);
    if (o && r)
        o->mutableSetValueForKey(m_key).addObject(r);
}

void RelationshipContentSource::removeObject(KeyValueCoding* object) {
    auto* o = owner();
    auto* r = asRecord(object);
    if (!r)
        return;
    if (o)
        o->mutableSetValueForKey(m_key).removeObject(r);
    m_context.deleteObject(r);
}

void RelationshipContentSource::objectChanged(ManagedObject* object, store::KeyId key) {
    auto* o = m_shownOwner;
    if (!o)
        return;
    if (object == o) {
        if (key == m_keyId) {
            // Compare with what is shown: the controller inserts and removes rows itself.
            contentReset();
        }
        return;
    }
    const auto& members = o->toManyForKey(m_key);
    if (std::find(members.begin(), members.end(), object) != members.end())
        contentChanged(object);
}

void RelationshipContentSource::objectsDeleted(const std::vector<ManagedObject*>& objects) {
    std::vector<KeyValueCoding*> removed(objects.begin(), objects.end());
    contentRemoved(removed);
}

void RelationshipContentSource::contextReset() {
    m_shownOwner = nullptr;
    contentReset();
}

void RelationshipContentSource::selectionChanged() {
    auto* now = owner();
    if (now == m_shownOwner)
        return;
    m_shownOwner = now;
    contentReset();
}

void RelationshipContentSource::reset() {
    selectionChanged();
}

} // namespace brivel::controllers
