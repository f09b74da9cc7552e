#include "core/store/ObjectContext.h"

#include "core/store/SqliteStore.h"

#include <algorithm>
#include <fmt/format.h>
#include <stdexcept>
#include <unistd.h>

namespace brivel::store {

namespace {
const std::vector<ManagedObject*>& noObjects() {
    static const std::vector<ManagedObject*> none;
    return none;
}
} // namespace

ObjectContext::ObjectContext(const ObjectModel& model) : m_model(model) {
    m_live.resize(model.entities().size());
}

ObjectContext::~ObjectContext() {
    clearAll();
}

void ObjectContext::clearAll() {
    for (auto& o : m_owned)
        o->willTurnIntoFault();
    m_undo.removeAllActions();
    m_owned.clear();
    for (auto& l : m_live)
        l.clear();
    m_deletedPersisted.clear();
    m_changed.clear();
    m_changedColumns.clear();
}

std::unique_ptr<ObjectContext>
ObjectContext::open(const ObjectModel& model, const std::filesystem::path& path, Error* error) {
    auto context = std::make_unique<ObjectContext>(model);
    context->m_store = SqliteStore::open(model, path, false, error);
    if (!context->m_store)
        return nullptr;
    context->m_path = path;
    if (!context->loadAll(error))
        return nullptr;
    return context;
}

bool ObjectContext::loadAll(Error* error) {
    m_loading = true;
    ObjectID next = 1;
    bool ok = m_store->load(*this, next, error);
    if (ok) {
        m_nextID = next;
        for (auto& o : m_owned)
            o->awakeFromFetch();
    }
    m_loading = false;
    for (auto* o : m_changed)
        o->m_dirty = false;
    m_changed.clear();
    m_changedColumns.clear();
    return ok;
}

bool ObjectContext::createStoreFile(const ObjectModel& model, const std::filesystem::path& path,
                                    Error* error) {
    return SqliteStore::create(model, path, error);
}

bool ObjectContext::checkStoreFile(const ObjectModel& model, const std::filesystem::path& path,
                                   Error* error) {
    // A save cut short leaves a journal that only a writer can roll back, so the check opens the
    // file for writing when it may; it never writes anything itself.
    bool writable = ::access(path.c_str(), W_OK) == 0;
    return SqliteStore::open(model, path, !writable, error) != nullptr;
}

ManagedObject* ObjectContext::makeRecord(const EntityDescription& entity, ObjectID id) {
    auto object = entity.factory();
    if (&object->entity() != &entity)
        throw std::logic_error("the class made for " + entity.name + " has another entity");
    ManagedObject* raw = object.get();
    raw->m_context = this;
    raw->m_id = id;
    m_owned.push_back(std::move(object));
    registerLive(raw);
    return raw;
}

void ObjectContext::registerLive(ManagedObject* object) {
    auto& list = m_live[object->m_entity->index];
    object->m_slot = static_cast<std::uint32_t>(list.size());
    list.push_back(object);
}

void ObjectContext::unregisterLive(ManagedObject* object) {
    auto& list = m_live[object->m_entity->index];
    std::uint32_t slot = object->m_slot;
    if (slot >= list.size() || list[slot] != object)
        return;
    list[slot] = list.back();
    list[slot]->m_slot = slot;
    list.pop_back();
}

ManagedObject* ObjectContext::insertNewObjectForEntityForName(std::string_view entityName) {
    const EntityDescription* entity = m_model.entity(entityName);
    if (!entity)
        throw std::invalid_argument("no entity named " + std::string(entityName));
    ManagedObject* object = makeRecord(*entity, m_nextID++);
    markChanged(object);
    m_undo.registerUndo([this, object] { removeForUndo(object); });
    object->awakeFromInsert();
    for (auto* l : std::vector<ContextListener*>(m_listeners))
        l->objectsInserted({object});
    return object;
}

void ObjectContext::removeForUndo(ManagedObject* object) {
    if (object->m_deleted)
        return;
    unregisterLive(object);
    object->m_deleted = true;
    markChanged(object);
    if (object->m_persisted)
        m_deletedPersisted.push_back(object);
    m_undo.registerUndo([this, object] { reinsert(object); });
    for (auto* l : std::vector<ContextListener*>(m_listeners))
        l->objectsDeleted({object});
}

void ObjectContext::reinsert(ManagedObject* object) {
    if (!object->m_deleted)
        return;
    object->m_deleted = false;
    registerLive(object);
    std::erase(m_deletedPersisted, object);
    markChanged(object);
    m_undo.registerUndo([this, object] { removeForUndo(object); });
    for (auto* l : std::vector<ContextListener*>(m_listeners))
        l->objectsInserted({object});
}

void ObjectContext::collectCascade(ManagedObject* object, std::vector<ManagedObject*>& out) const {
    if (object->m_deleted || std::find(out.begin(), out.end(), object) != out.end())
        return;
    out.push_back(object);
    const auto& e = object->entity();
    for (std::size_t r = 0; r < e.relationships.size(); ++r) {
        if (e.relationships[r].deleteRule != DeleteRule::Cascade)
            continue;
        if (e.relationships[r].toMany) {
            for (auto* d : object->toMany(r))
                collectCascade(d, out);
        } else if (auto* d = object->toOne(r)) {
            collectCascade(d, out);
        }
    }
}

void ObjectContext::deleteObject(ManagedObject* object) {
    if (!object || object->m_context != this || object->m_deleted)
        return;
    std::vector<ManagedObject*> doomed;
    collectCascade(object, doomed);
    for (auto* o : doomed)
        o->prepareForDeletion();
    for (auto* o : doomed) {
        const auto& e = o->entity();
        for (std::size_t r = 0; r < e.relationships.size(); ++r) {
            if (e.relationships[r].toMany) {
                auto members = o->toMany(r);
                for (auto* d : members)
                    o->unlink(r, d);
            } else if (auto* d = o->toOne(r)) {
                o->unlink(r, d);
            }
        }
    }
    for (auto* o : doomed) {
        unregisterLive(o);
        o->m_deleted = true;
        markChanged(o);
        if (o->m_persisted)
            m_deletedPersisted.push_back(o);
        m_undo.registerUndo([this, o] { reinsert(o); });
    }
    for (auto* l : std::vector<ContextListener*>(m_listeners))
        l->objectsDeleted(doomed);
}

const std::vector<ManagedObject*>&
ObjectContext::registeredObjects(std::string_view entityName) const {
    const EntityDescription* e = m_model.entity(entityName);
    return e ? m_live[e->index] : noObjects();
}

ManagedObject* ObjectContext::objectWithID(ObjectID id) const {
    for (const auto& list : m_live)
        for (auto* o : list)
            if (o->m_id == id)
                return o;
    return nullptr;
}

std::vector<ManagedObject*> ObjectContext::executeFetchRequest(const FetchRequest& request,
                                                               Error* error) const {
    const EntityDescription* e = m_model.entity(request.entityName);
    if (!e) {
        if (error) {
            error->domain = errors::StoreDomain;
            error->code = errors::FileReadUnknown;
            error->localizedDescription = "No entity named " + request.entityName + ".";
        }
        return {};
    }
    std::vector<ManagedObject*> out;
    const auto& live = m_live[e->index];
    if (request.predicate) {
        for (auto* o : live)
            if (request.predicate->evaluate(*o))
                out.push_back(o);
    } else {
        out = live;
    }
    if (!request.sortDescriptors.empty()) {
        std::stable_sort(out.begin(), out.end(), [&](ManagedObject* a, ManagedObject* b) {
            int c = compareBySortDescriptors(*a, *b, request.sortDescriptors);
            return c != 0 ? c < 0 : a->m_id < b->m_id;
        });
    } else {
        std::sort(out.begin(), out.end(),
                  [](ManagedObject* a, ManagedObject* b) { return a->m_id < b->m_id; });
    }
    return out;
}

bool ObjectContext::hasChanges() const {
    if (!m_deletedPersisted.empty())
        return true;
    for (auto* o : m_changed)
        if (o->m_dirty && !o->m_deleted)
            return true;
    return false;
}

namespace {
Error validationError(int code, const ManagedObject& o, const std::string& key,
                      const std::string& description) {
    Error e;
    e.domain = errors::ValidationDomain;
    e.code = code;
    e.localizedDescription = description;
    e.userInfo["NSValidationErrorKey"] = key;
    e.userInfo["NSValidationErrorObject"] = fmt::format("{} {}", o.entityName(), o.objectID());
    return e;
}
} // namespace

std::optional<Error> ObjectContext::validateForSave() const {
    std::vector<Error> found;
    {
        for (auto* o : m_changed) {
            if (!o->m_dirty || o->m_deleted)
                continue;
            const auto& e = o->entity();
            for (std::size_t a = 0; a < e.attributes.size(); ++a) {
                const auto& attr = e.attributes[a];
                const Value& v = o->values()[a];
                if (attr.required && v.isNull()) {
                    found.push_back(validationError(
                        errors::ValidationMissingMandatoryProperty, *o, attr.name,
                        fmt::format("The {} of a {} is missing.", attr.name, e.name)));
                } else if (attr.minimum && v.isNumber() && v.toDouble() < *attr.minimum) {
                    found.push_back(validationError(
                        errors::ValidationNumberTooSmall, *o, attr.name,
                        fmt::format("The {} of a {} must not be below {}; it is {}.", attr.name,
                                    e.name, *attr.minimum, v.describe())));
                }
            }
            for (std::size_t r = 0; r < e.relationships.size(); ++r) {
                const auto& rel = e.relationships[r];
                if (!rel.toMany && rel.storesForeignKey &&
                    rel.destination->relationships[rel.inverseIndex].deleteRule ==
                        DeleteRule::Cascade &&
                    !o->toOne(r)) {
                    found.push_back(validationError(
                        errors::ValidationMissingMandatoryProperty, *o, rel.name,
                        fmt::format("A {} must belong to a {}.", e.name, rel.destinationName)));
                }
            }
        }
    }
    if (found.empty())
        return std::nullopt;
    if (found.size() == 1)
        return found.front();
    Error multiple;
    multiple.domain = errors::ValidationDomain;
    multiple.code = errors::ValidationMultipleErrors;
    multiple.localizedDescription = "Multiple validation errors occurred.";
    multiple.detailedErrors = std::move(found);
    return multiple;
}

bool ObjectContext::save(Error* error) {
    if (!m_store) {
        if (error) {
            error->domain = errors::StoreDomain;
            error->code = errors::FileWriteUnknown;
            error->localizedDescription = "The account could not be saved.";
            error->failureReason = "It has no database file.";
        }
        return false;
    }
    if (auto invalid = validateForSave()) {
        if (error)
            *error = std::move(*invalid);
        return false;
    }
    // Records deleted before they were ever saved still count for what follows a save (their
    // files), but the file never had their rows.
    StoreChanges changes;
    std::vector<ManagedObject*> deletedNow;
    auto& inserted = changes.inserted;
    auto& updated = changes.updated;
    for (auto* o : m_changed) {
        if (!o->m_dirty)
            continue;
        if (o->m_deleted) {
            deletedNow.push_back(o);
        } else if (!o->m_persisted) {
            inserted.push_back(o);
        } else {
            auto it = m_changedColumns.find(o);
            updated.push_back(o);
            changes.updatedColumns.push_back(it == m_changedColumns.end() ? 0 : it->second);
        }
    }
    changes.deleted = m_deletedPersisted;
    changes.nextID = m_nextID;
    if (!m_store->save(changes, error))
        return false;
    for (auto* o : inserted) {
        o->m_persisted = true;
        o->m_dirty = false;
    }
    for (auto* o : updated)
        o->m_dirty = false;
    for (auto* o : deletedNow) {
        o->m_persisted = false;
        o->m_dirty = false;
    }
    m_deletedPersisted.clear();
    m_changed.clear();
    m_changedColumns.clear();
    for (auto* o : deletedNow)
        o->didCommitDeletion();
    return true;
}

bool ObjectContext::rollback(Error* error) {
    for (auto* l : std::vector<ContextListener*>(m_listeners))
        l->contextWillReset();
    clearAll();
    bool ok = !m_store || loadAll(error);
    for (auto* l : std::vector<ContextListener*>(m_listeners))
        l->contextReset();
    return ok;
}

void ObjectContext::addListener(ContextListener* listener) {
    m_listeners.push_back(listener);
}
void ObjectContext::removeListener(ContextListener* listener) {
    std::erase(m_listeners, listener);
}

void ObjectContext::didChange(ManagedObject* object, KeyId key) {
    if (m_listeners.empty() || m_loading)
        return;
    for (auto* l : std::vector<ContextListener*>(m_listeners))
        l->objectChanged(object, key);
}

} // namespace brivel::store
