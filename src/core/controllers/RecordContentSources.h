#pragma once

#include "core/controllers/ArrayController.h"
#include "core/controllers/ContentSource.h"
#include "core/store/ObjectContext.h"

#include <string>

namespace brivel::controllers {

// The live records of one entity in a context (logs, trades). Removing deletes the record.
class EntityContentSource final : public ContentSource, private store::ContextListener {
public:
    EntityContentSource(store::ObjectContext& context, std::string entityName);
    ~EntityContentSource() override;

    std::vector<KeyValueCoding*> objects() const override;
    KeyValueCoding* newObject() override;
    void addObject(KeyValueCoding* object) override;
    void removeObject(KeyValueCoding* object) override;

    store::ObjectContext& context() const { return m_context; }

private:
    void objectsInserted(const std::vector<store::ManagedObject*>& objects) override;
    void objectsDeleted(const std::vector<store::ManagedObject*>& objects) override;
    void objectChanged(store::ManagedObject* object, store::KeyId key) override;
    void contextWillReset() override;
    void contextReset() override;

    store::ObjectContext& m_context;
    const store::EntityDescription* m_entity;
};

// A to-many relationship of the record selected in another controller (a log's notes, a trade's
// orders). Adding puts the record into the relationship; removing takes it out and deletes it,
// since a note or an order without its owner has no place in the account.
class RelationshipContentSource final : public ContentSource,
                                        private store::ContextListener,
                                        private ArrayControllerListener {
public:
    RelationshipContentSource(store::ObjectContext& context, ArrayController& master,
                              std::string relationshipKey);
    ~RelationshipContentSource() override;

    std::vector<KeyValueCoding*> objects() const override;
    KeyValueCoding* newObject() override;
    void addObject(KeyValueCoding* object) override;
    void removeObject(KeyValueCoding* object) override;

    // The record whose relationship is shown: the master's single selected record, or nothing.
    store::ManagedObject* owner() const;
    store::ObjectContext& context() const { return m_context; }

private:
    void objectChanged(store::ManagedObject* object, store::KeyId key) override;
    void objectsDeleted(const std::vector<store::ManagedObject*>& objects) override;
    void contextReset() override;
    void selectionChanged() override;
    void reset() override;

    store::ObjectContext& m_context;
    ArrayController& m_master;
    std::string m_key;
    store::KeyId m_keyId;
    store::ManagedObject* m_shownOwner = nullptr;
};

} // namespace brivel::controllers
