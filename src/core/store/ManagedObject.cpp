#include "core/store/ManagedObject.h"

#include "core/store/ObjectContext.h"
#include "core/store/RecordArena.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <new>
#include <stdexcept>

namespace brivel::store {

namespace {
const std::vector<ManagedObject*>& emptyList() {
    static const std::vector<ManagedObject*> empty;
    return empty;
}

[[noreturn]] void unknownKey(const EntityDescription& e, std::string_view key) {
    throw std::invalid_argument("the entity " + e.name +
                                " is not key value coding-compliant for the key \"" +
                                std::string(key) + "\"");
}

// Wraps to the integer width the way a boxed number's narrower accessor would, without
// undefined behaviour.
template <class Int> std::int64_t wrapTo(std::int64_t v) {
    using U = std::make_unsigned_t<Int>;
    return static_cast<Int>(static_cast<U>(static_cast<std::uint64_t>(v)));
}

Value coerce(const Value& v, const AttributeDescription& a, const EntityDescription& e) {
    if (v.isNull())
        return v;
    switch (a.type) {
    case AttributeType::Boolean:
        if (v.isNumber())
            return Value::boolean(v.toBool());
        break;
    case AttributeType::Int16:
        if (v.isNumber())
            return Value::integer(wrapTo<std::int16_t>(v.toInt64()));
        break;
    case AttributeType::Int32:
        if (v.isNumber())
            return Value::integer(wrapTo<std::int32_t>(v.toInt64()));
        break;
    case AttributeType::Double:
        if (v.isNumber())
            return Value::real(v.toDouble());
        break;
    case AttributeType::String:
        if (v.type() == Value::Type::String)
            return v;
        break;
    case AttributeType::Date:
        if (v.type() == Value::Type::Date)
            return v;
        break;
    }
    throw std::invalid_argument("a value of the wrong kind for " + e.name + "." + a.name);
}

bool sameStored(const Value& a, const Value& b) {
    return a.type() == b.type() && a == b;
}
} // namespace

namespace {
// Observation contexts, for the few observations that have one.
struct ContextEntry {
    const ManagedObject* object;
    KeyValueObserver* observer;
    KeyId key;
    void* context;
};
std::mutex g_contextMutex;
std::vector<ContextEntry> g_contexts;
} // namespace

// The address sanitizer only sees blocks of the general heap: under it, records stay there so
// that a record used after it was freed is still caught.
#if defined(__SANITIZE_ADDRESS__)
#define BRIVEL_RECORDS_IN_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRIVEL_RECORDS_IN_HEAP 1
#endif
#endif

void* ManagedObject::operator new(std::size_t size) {
#if defined(BRIVEL_RECORDS_IN_HEAP)
    return ::operator new(size);
#else
    return RecordArena::shared().allocate(size);
#endif
}

void ManagedObject::operator delete(void* block, std::size_t size) noexcept {
#if defined(BRIVEL_RECORDS_IN_HEAP)
    ::operator delete(block, size);
#else
    RecordArena::deallocate(block, size);
#endif
}

ManagedObject::ManagedObject(const EntityDescription& entity, Value* values,
                             RelationshipSlot* relations)
    : m_entity(&entity), m_valuesAt(distanceInWords(this, values)),
      m_relationsAt(distanceInWords(this, relations)) {
    for (std::size_t i = 0; i < entity.relationships.size(); ++i)
        if (entity.relationships[i].toMany)
            relations[i].many = std::make_unique<std::vector<ManagedObject*>>();
}

// Every loaded record pays for each word here; keep it at seven.
static_assert(sizeof(ManagedObject) <= 56);

std::int8_t ManagedObject::distanceInWords(const ManagedObject* from, const void* to) {
    const auto distance =
        reinterpret_cast<std::intptr_t>(to) - reinterpret_cast<std::intptr_t>(from);
    // The storage is part of the record's own class, a few words away.
    if (distance % 8 != 0 || distance / 8 < INT8_MIN || distance / 8 > INT8_MAX)
        throw std::logic_error("a record's storage lies outside the record");
    return static_cast<std::int8_t>(distance / 8);
}

ManagedObject::~ManagedObject() {
    bool anyContext = false;
    for (const auto& o : m_observers)
        anyContext = anyContext || o.hasContext;
    if (anyContext) {
        std::lock_guard lock(g_contextMutex);
        std::erase_if(g_contexts, [this](const ContextEntry& c) { return c.object == this; });
    }
}

void ManagedObject::willChange(std::uint64_t columns) {
    if (m_context && !m_context->isLoading())
        m_context->markChanged(this, columns);
}

std::uint64_t ManagedObject::attributeColumn(std::size_t index) const {
    return columnBit(index);
}

std::uint64_t ManagedObject::relationshipColumn(std::size_t index) const {
    const auto& rel = m_entity->relationships[index];
    if (rel.toMany || !rel.storesForeignKey)
        return 0;
    return columnBit(m_entity->attributes.size() + index);
}

Value ManagedObject::valueForKey(std::string_view key) const {
    int i = m_entity->attributeIndex(key);
    if (i >= 0)
        return values()[i];
    // The scalar twins ("priceValue") read their attribute.
    if (key.size() > 5 && key.ends_with("Value")) {
        int j = m_entity->attributeIndex(key.substr(0, key.size() - 5));
        if (j >= 0)
            return values()[j];
    }
    unknownKey(*m_entity, key);
}

void ManagedObject::setValueForKey(const Value& value, std::string_view key) {
    int i = m_entity->attributeIndex(key);
    if (i < 0 && key.size() > 5 && key.ends_with("Value"))
        i = m_entity->attributeIndex(key.substr(0, key.size() - 5));
    if (i < 0)
        unknownKey(*m_entity, key);
    setAttributeValue(static_cast<std::size_t>(i), value);
}

const KeyValueCoding* ManagedObject::objectForKey(std::string_view key) const {
    int i = m_entity->relationshipIndex(key);
    if (i < 0 || m_entity->relationships[i].toMany)
        return nullptr;
    return relations()[i].one;
}

void ManagedObject::setAttributeValue(std::size_t index, const Value& raw) {
    Value value = coerce(raw, m_entity->attributes.at(index), *m_entity);
    if (sameStored(value, values()[index]))
        return;
    Value old = values()[index];
    if (m_context && !m_context->isLoading() && !m_deleted) {
        m_context->undoManager().registerUndo(
            [this, index, old] { setAttributeValue(index, old); });
    }
    willChange(attributeColumn(index));
    values()[index] = value;
    Change change;
    change.oldValue = std::move(old);
    change.newValue = std::move(value);
    KeyId key = m_entity->attributeKeys[index];
    notifyKeyAndDependents(key, change);
    if (m_context)
        m_context->didChange(this, key);
}

const Value& ManagedObject::primitiveValueForKey(std::string_view key) const {
    int i = m_entity->attributeIndex(key);
    if (i < 0)
        unknownKey(*m_entity, key);
    return values()[i];
}

void ManagedObject::setPrimitiveValueForKey(const Value& value, std::string_view key) {
    int i = m_entity->attributeIndex(key);
    if (i < 0)
        unknownKey(*m_entity, key);
    setPrimitiveAttributeValue(static_cast<std::size_t>(i), value);
}

void ManagedObject::setPrimitiveAttributeValue(std::size_t index, const Value& value) {
    values()[index] = coerce(value, m_entity->attributes.at(index), *m_entity);
    // Primitive changes are not announced, but they are still changes to save.
    willChange(attributeColumn(index));
}

const std::vector<ManagedObject*>& ManagedObject::toMany(std::size_t index) const {
    const auto& slot = relations()[index];
    return slot.many ? *slot.many : emptyList();
}

ManagedObject* ManagedObject::toOneForKey(std::string_view key) const {
    int i = m_entity->relationshipIndex(key);
    if (i < 0 || m_entity->relationships[i].toMany)
        unknownKey(*m_entity, key);
    return relations()[i].one;
}

void ManagedObject::setToOneForKey(ManagedObject* destination, std::string_view key) {
    int i = m_entity->relationshipIndex(key);
    if (i < 0 || m_entity->relationships[i].toMany)
        unknownKey(*m_entity, key);
    setToOne(static_cast<std::size_t>(i), destination);
}

const std::vector<ManagedObject*>& ManagedObject::toManyForKey(std::string_view key) const {
    int i = m_entity->relationshipIndex(key);
    if (i < 0 || !m_entity->relationships[i].toMany)
        unknownKey(*m_entity, key);
    return toMany(static_cast<std::size_t>(i));
}

MutableSet ManagedObject::mutableSetValueForKey(std::string_view key) {
    int i = m_entity->relationshipIndex(key);
    if (i < 0 || !m_entity->relationships[i].toMany)
        unknownKey(*m_entity, key);
    willAccessValueForKey(key);
    MutableSet set(this, static_cast<std::size_t>(i));
    didAccessValueForKey(key);
    return set;
}

void ManagedObject::announceRelationship(std::size_t index, Change::Kind kind,
                                         ManagedObject* other) {
    Change change;
    change.kind = kind;
    if (kind == Change::Kind::Removal)
        change.oldObjects.push_back(other);
    else
        change.newObjects.push_back(other);
    KeyId key = m_entity->relationshipKeys[index];
    notifyKeyAndDependents(key, change);
    if (m_context)
        m_context->didChange(this, key);
}

void ManagedObject::link(std::size_t index, ManagedObject* destination) {
    const auto& rel = m_entity->relationships[index];
    auto& inverseSlot = destination->relations()[rel.inverseIndex];
    const auto& inverse = destination->m_entity->relationships[rel.inverseIndex];
    if (rel.toMany)
        relations()[index].many->push_back(destination);
    else
        relations()[index].one = destination;
    if (inverse.toMany)
        inverseSlot.many->push_back(this);
    else
        inverseSlot.one = this;
    if (m_context && !m_context->isLoading())
        m_context->undoManager().registerUndo(
            [this, index, destination] { unlink(index, destination); });
    willChange(relationshipColumn(index));
    destination->willChange(destination->relationshipColumn(rel.inverseIndex));
    announceRelationship(index, rel.toMany ? Change::Kind::Insertion : Change::Kind::Setting,
                         destination);
    destination->announceRelationship(
        rel.inverseIndex, inverse.toMany ? Change::Kind::Insertion : Change::Kind::Setting, this);
}

void ManagedObject::unlink(std::size_t index, ManagedObject* destination) {
    const auto& rel = m_entity->relationships[index];
    auto& inverseSlot = destination->relations()[rel.inverseIndex];
    const auto& inverse = destination->m_entity->relationships[rel.inverseIndex];
    if (rel.toMany)
        std::erase(*relations()[index].many, destination);
    else
        relations()[index].one = nullptr;
    if (inverse.toMany)
        std::erase(*inverseSlot.many, this);
    else
        inverseSlot.one = nullptr;
    if (m_context && !m_context->isLoading())
        m_context->undoManager().registerUndo(
            [this, index, destination] { link(index, destination); });
    willChange(relationshipColumn(index));
    destination->willChange(destination->relationshipColumn(rel.inverseIndex));
    announceRelationship(index, rel.toMany ? Change::Kind::Removal : Change::Kind::Setting,
                         destination);
    destination->announceRelationship(
        rel.inverseIndex, inverse.toMany ? Change::Kind::Removal : Change::Kind::Setting, this);
}

void ManagedObject::setToOne(std::size_t index, ManagedObject* destination) {
    const auto& rel = m_entity->relationships.at(index);
    if (rel.toMany)
        throw std::invalid_argument(rel.name + " is a to-many relationship");
    ManagedObject* old = relations()[index].one;
    if (old == destination)
        return;
    if (destination && destination->m_entity != rel.destination)
        throw std::invalid_argument("a " + destination->entityName() + " cannot be the " +
                                    rel.name + " of a " + m_entity->name);
    if (old)
        unlink(index, old);
    if (destination) {
        const auto& inverse = destination->m_entity->relationships[rel.inverseIndex];
        // One-to-one: the destination leaves its former partner.
        if (!inverse.toMany) {
            if (ManagedObject* former = destination->relations()[rel.inverseIndex].one)
                former->unlink(index, destination);
        }
        link(index, destination);
    }
}

void ManagedObject::addToMany(std::size_t index, ManagedObject* object) {
    const auto& rel = m_entity->relationships.at(index);
    if (!rel.toMany)
        throw std::invalid_argument(rel.name + " is a to-one relationship");
    if (!object || object->m_entity != rel.destination)
        throw std::invalid_argument("cannot add that object to " + m_entity->name + "." + rel.name);
    const auto& list = *relations()[index].many;
    if (std::find(list.begin(), list.end(), object) != list.end())
        return;
    const auto& inverse = object->m_entity->relationships[rel.inverseIndex];
    if (!inverse.toMany) {
        // Moving from one owner to another.
        if (ManagedObject* former = object->relations()[rel.inverseIndex].one)
            former->unlink(index, object);
    }
    link(index, object);
}

void ManagedObject::removeFromMany(std::size_t index, ManagedObject* object) {
    const auto& list = toMany(index);
    if (std::find(list.begin(), list.end(), object) != list.end())
        unlink(index, object);
}

void ManagedObject::addObserver(KeyValueObserver* observer, std::string_view key,
                                std::uint8_t options, void* context) {
    addObserver(observer, internKey(key), options, context);
}

void ManagedObject::removeObserver(KeyValueObserver* observer, std::string_view key) {
    removeObserver(observer, internKey(key));
}

ManagedObject::ObserverList::~ObserverList() {
    if (onHeap())
        std::free(block());
}

void ManagedObject::ObserverList::moveToHeap(std::uint32_t capacity) {
    const bool wasOnHeap = onHeap();
    const auto n = static_cast<std::uint32_t>(size());
    auto* grown = static_cast<Header*>(std::realloc(
        wasOnHeap ? block() : nullptr, sizeof(Header) + capacity * sizeof(Observation)));
    if (!grown)
        throw std::bad_alloc();
    if (!wasOnHeap && n == 1)
        reinterpret_cast<Observation*>(grown + 1)[0] = m_one;
    grown->size = n;
    grown->capacity = capacity;
    m_one = Observation{reinterpret_cast<KeyValueObserver*>(grown), 0, OnHeap, false};
}

void ManagedObject::ObserverList::push_back(const Observation& o) {
    if (!onHeap() && !m_one.observer) {
        m_one = o;
        return;
    }
    const auto n = static_cast<std::uint32_t>(size());
    // Beyond the one in place, grow by a handful, then by doubling.
    if (!onHeap() || n == block()->capacity)
        moveToHeap(n < 16 ? n + 4 : n * 2);
    items()[n] = o;
    block()->size = n + 1;
}

void ManagedObject::ObserverList::eraseAt(std::size_t i) {
    if (!onHeap()) {
        m_one = Observation{};
        return;
    }
    Observation* first = items();
    std::copy(first + i + 1, first + block()->size, first + i);
    --block()->size;
}

void* ManagedObject::contextOf(const Observation& o) const {
    if (!o.hasContext)
        return nullptr;
    std::lock_guard lock(g_contextMutex);
    for (const auto& c : g_contexts)
        if (c.object == this && c.observer == o.observer && c.key == o.key)
            return c.context;
    return nullptr;
}

void ManagedObject::addObserver(KeyValueObserver* observer, KeyId key, std::uint8_t options,
                                void* context) {
    if (context) {
        std::lock_guard lock(g_contextMutex);
        g_contexts.push_back({this, observer, key, context});
    }
    m_observers.push_back(Observation{
        observer, key, std::uint8_t(options & ObserverList::OptionBits), context != nullptr});
}

void ManagedObject::removeObserver(KeyValueObserver* observer, KeyId key) {
    // The most recent registration goes first, as the platform does.
    for (std::size_t i = m_observers.size(); i-- > 0;) {
        const Observation& o = m_observers.begin()[i];
        if (o.observer != observer || o.key != key)
            continue;
        if (o.hasContext) {
            std::lock_guard lock(g_contextMutex);
            for (auto it = g_contexts.rbegin(); it != g_contexts.rend(); ++it) {
                if (it->object == this && it->observer == observer && it->key == key) {
                    g_contexts.erase(std::next(it).base());
                    break;
                }
            }
        }
        m_observers.eraseAt(i);
        return;
    }
}

void ManagedObject::notify(KeyId key, const Change& change) {
    if (m_observers.empty())
        return;
    bool any = false;
    for (const auto& o : m_observers)
        any = any || observesKey(o.key, key);
    if (!any)
        return;
    // An observer may add or remove observations while being told.
    std::vector<Observation> copy(m_observers.begin(), m_observers.end());
    const std::string& name = keyName(key);
    for (const auto& o : copy) {
        if (!observesKey(o.key, key))
            continue;
        bool stillRegistered = false;
        for (const auto& c : m_observers)
            stillRegistered = stillRegistered || (c.observer == o.observer && c.key == o.key);
        if (!stillRegistered)
            continue;
        void* context = contextOf(o);
        if ((o.options & (ObservingNew | ObservingOld)) == (ObservingNew | ObservingOld)) {
            o.observer->observeValueForKeyPath(name, this, change, context);
        } else {
            Change trimmed = change;
            if (!(o.options & ObservingNew)) {
                trimmed.newValue = Value();
                trimmed.newObjects.clear();
            }
            if (!(o.options & ObservingOld)) {
                trimmed.oldValue = Value();
                trimmed.oldObjects.clear();
            }
            o.observer->observeValueForKeyPath(name, this, trimmed, context);
        }
    }
}

void ManagedObject::didChangeValueForKey(std::string_view key, const Change& change) {
    notifyKeyAndDependents(internKey(key), change);
}

void ManagedObject::notifyKeyAndDependents(KeyId key, const Change& change) {
    notify(key, change);
    auto it = m_entity->affectedKeys.find(key);
    if (it != m_entity->affectedKeys.end())
        for (KeyId dependent : it->second)
            notify(dependent, change);
}

void MutableSet::addObject(ManagedObject* object) {
    m_owner->addToMany(m_relationship, object);
}
void MutableSet::removeObject(ManagedObject* object) {
    m_owner->removeFromMany(m_relationship, object);
}
bool MutableSet::containsObject(const ManagedObject* object) const {
    const auto& l = m_owner->toMany(m_relationship);
    return std::find(l.begin(), l.end(), object) != l.end();
}
std::size_t MutableSet::count() const {
    return m_owner->toMany(m_relationship).size();
}
std::vector<ManagedObject*> MutableSet::allObjects() const {
    return m_owner->toMany(m_relationship);
}

} // namespace brivel::store
