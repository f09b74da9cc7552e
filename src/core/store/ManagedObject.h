#pragma once

#include "core/store/EntityDescription.h"
#include "core/store/KeyValueCoding.h"
#include "core/store/Value.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace brivel::store {

class ObjectContext;
class ManagedObject;

using ObjectID = std::int64_t;

enum ObservingOptions : std::uint8_t {
    ObservingNone = 0,
    ObservingNew = 1,
    ObservingOld = 2,
};

// What an observer is told about a change.
struct Change {
    enum class Kind { Setting, Insertion, Removal };
    Kind kind = Kind::Setting;
    Value oldValue; // attributes, with ObservingOld
    Value newValue; // attributes, with ObservingNew
    // Relationships: the objects that joined (Insertion), left (Removal), or the old and new
    // destination of a to-one (Setting).
    std::vector<ManagedObject*> oldObjects;
    std::vector<ManagedObject*> newObjects;
};

class KeyValueObserver {
public:
    virtual ~KeyValueObserver() = default;
    virtual void observeValueForKeyPath(std::string_view keyPath, ManagedObject* object,
                                        const Change& change, void* context) = 0;
};

// One relationship's storage in a record.
struct RelationshipSlot {
    ManagedObject* one = nullptr;
    std::unique_ptr<std::vector<ManagedObject*>> many;
};

// A live view of a to-many relationship: changes made through it are changes of the
// relationship (inverse kept, observers told, undo recorded).
class MutableSet {
public:
    MutableSet(ManagedObject* owner, std::size_t relationship)
        : m_owner(owner), m_relationship(relationship) {}
    void addObject(ManagedObject* object);
    void removeObject(ManagedObject* object);
    bool containsObject(const ManagedObject* object) const;
    std::size_t count() const;
    std::vector<ManagedObject*> allObjects() const;

private:
    ManagedObject* m_owner;
    std::size_t m_relationship;
};

// A record of the store. Values live in storage that the entity's class provides, so a record is
// one allocation; relationships are pointers kept consistent with their inverses.
class ManagedObject : public KeyValueCoding {
public:
    ~ManagedObject() override;
    ManagedObject(const ManagedObject&) = delete;
    // Records live in the record arena (RecordArena), which a large account opens faster from.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    ManagedObject& operator=(const ManagedObject&) = delete;

    const EntityDescription& entity() const { return *m_entity; }
    const std::string& entityName() const { return m_entity->name; }
    ObjectID objectID() const { return m_id; }
    // The context the record lives in; nullptr once deleted or never inserted.
    ObjectContext* managedObjectContext() const { return m_deleted ? nullptr : m_context; }
    ObjectContext* owningContext() const { return m_context; }
    bool isDeleted() const { return m_deleted; }
    bool isInserted() const { return !m_persisted && !m_deleted && m_context; }
    bool hasChanges() const { return m_dirty; }
    // Stored columns are numbered attributes first, then relationships, by their index in the
    // entity; the bit of column n is 1 << n (all bits for n beyond 63).
    static std::uint64_t columnBit(std::size_t column) {
        return column < 64 ? std::uint64_t(1) << column : ~std::uint64_t(0);
    }

    // Keyed access: recorded for undo and announced to observers.
    Value valueForKey(std::string_view key) const override;
    void setValueForKey(const Value& value, std::string_view key) override;
    const KeyValueCoding* objectForKey(std::string_view key) const override;

    // Typed by index, the fast path of the generated accessors (same recording as by key).
    const Value& attributeValue(std::size_t index) const { return values()[index]; }
    void setAttributeValue(std::size_t index, const Value& value);
    // Primitive access: neither recorded nor announced.
    const Value& primitiveValueForKey(std::string_view key) const;
    void setPrimitiveValueForKey(const Value& value, std::string_view key);
    void setPrimitiveAttributeValue(std::size_t index, const Value& value);

    // Relationships.
    ManagedObject* toOne(std::size_t index) const { return relations()[index].one; }
    void setToOne(std::size_t index, ManagedObject* destination);
    const std::vector<ManagedObject*>& toMany(std::size_t index) const;
    void addToMany(std::size_t index, ManagedObject* object);
    void removeFromMany(std::size_t index, ManagedObject* object);
    MutableSet mutableSetValueForKey(std::string_view key);
    ManagedObject* toOneForKey(std::string_view key) const;
    void setToOneForKey(ManagedObject* destination, std::string_view key);
    const std::vector<ManagedObject*>& toManyForKey(std::string_view key) const;
    void willAccessValueForKey(std::string_view /*key*/) const {}
    void didAccessValueForKey(std::string_view /*key*/) const {}

    // Observation of one key (an attribute, a relationship or a dependent key).
    void addObserver(KeyValueObserver* observer, std::string_view key, std::uint8_t options,
                     void* context);
    void removeObserver(KeyValueObserver* observer, std::string_view key);
    // The same with an interned key, for callers that register many records on the same keys.
    void addObserver(KeyValueObserver* observer, KeyId key, std::uint8_t options, void* context);
    void removeObserver(KeyValueObserver* observer, KeyId key);
    std::size_t observationCount() const { return m_observers.size(); }

    // Hooks run by the context.
    virtual void awakeFromInsert() {}
    virtual void awakeFromFetch() {}
    virtual void willTurnIntoFault() {}
    virtual void prepareForDeletion() {}
    // After a save has committed the record's deletion: what must go only once the deletion is
    // final (a trade's image files) goes here, so that undo or closing without saving keeps it.
    virtual void didCommitDeletion() {}

protected:
    ManagedObject(const EntityDescription& entity, Value* values, RelationshipSlot* relations);
    // Tells the observers of a key that the record keeps outside the store (a trade's
    // orderDescList) that it changed, as a stored key's setter does.
    void didChangeValueForKey(std::string_view key, const Change& change = Change());
    void didChangeValueForKey(KeyId key, const Change& change = Change()) {
        notifyKeyAndDependents(key, change);
    }

private:
    friend class ObjectContext;
    friend class SqliteStore;
    friend class StoreLoader;
    friend class MutableSet;

    // Sixteen bytes: every loaded order carries five of them. The rarely used context pointer
    // is kept aside (contextOf) when there is one.
    struct Observation {
        KeyValueObserver* observer;
        KeyId key;
        std::uint8_t options;
        bool hasContext;
    };
    // A record's observations. Most records have none, and a loaded order has exactly one (its
    // trade's): one observation is kept in place, more go to a block on the heap whose address
    // then takes the first one's place.
    class ObserverList {
    public:
        ObserverList() = default;
        ~ObserverList();
        ObserverList(const ObserverList&) = delete;
        ObserverList& operator=(const ObserverList&) = delete;
        std::size_t size() const { return onHeap() ? block()->size : m_one.observer ? 1 : 0; }
        bool empty() const { return size() == 0; }
        const Observation* begin() const { return onHeap() ? items() : &m_one; }
        const Observation* end() const { return begin() + size(); }
        void push_back(const Observation& o);
        void eraseAt(std::size_t i);
        // Options an observation may carry; the others mark the list's own state.
        static constexpr std::uint8_t OptionBits = ObservingNew | ObservingOld;

    private:
        struct Header {
            std::uint32_t size;
            std::uint32_t capacity;
        };
        static constexpr std::uint8_t OnHeap = 0x80; // in m_one.options
        bool onHeap() const { return m_one.options & OnHeap; }
        Header* block() const { return reinterpret_cast<Header*>(m_one.observer); }
        Observation* items() const { return reinterpret_cast<Observation*>(block() + 1); }
        void moveToHeap(std::uint32_t capacity);
        Observation m_one{};
    };
    void* contextOf(const Observation& o) const;

    void notify(KeyId key, const Change& change);
    void notifyKeyAndDependents(KeyId key, const Change& change);
    void link(std::size_t index, ManagedObject* destination);
    void unlink(std::size_t index, ManagedObject* destination);
    void announceRelationship(std::size_t index, Change::Kind kind, ManagedObject* other);
    // Marks the record changed, with the stored columns that changed (see columnBit).
    void willChange(std::uint64_t columns);
    // The bit of an attribute's column, or of a relationship's foreign-key column (0 for a
    // relationship the record's row does not store).
    std::uint64_t attributeColumn(std::size_t index) const;
    std::uint64_t relationshipColumn(std::size_t index) const;

    // The storage the entity's class provides (ManagedObjectStorage), found from the record
    // by distances in words kept in two bytes rather than by two pointers: an account of years
    // holds hundreds of thousands of records.
    Value* values() const { return reinterpret_cast<Value*>(wordsFromHere(m_valuesAt)); }
    RelationshipSlot* relations() const {
        return reinterpret_cast<RelationshipSlot*>(wordsFromHere(m_relationsAt));
    }
    char* wordsFromHere(std::int8_t words) const {
        return const_cast<char*>(reinterpret_cast<const char*>(this)) + words * 8;
    }
    static std::int8_t distanceInWords(const ManagedObject* from, const void* to);

    const EntityDescription* m_entity;
    ObjectContext* m_context = nullptr;
    ObjectID m_id = 0;
    ObserverList m_observers;
    std::uint32_t m_slot = 0; // position in the context's list of live records of the entity
    std::int8_t m_valuesAt;
    std::int8_t m_relationsAt;
    bool m_persisted : 1 = false; // a row exists in the file
    bool m_deleted : 1 = false;
    bool m_dirty : 1 = false;
};

// Storage for a record class with N attributes and R relationships.
template <std::size_t N, std::size_t R> class ManagedObjectStorage {
protected:
    Value m_storageValues[N];
    RelationshipSlot m_storageRelations[R];
};

} // namespace brivel::store
