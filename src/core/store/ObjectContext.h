#pragma once

#include "core/platform/Error.h"
#include "core/platform/NotificationCenter.h"
#include "core/platform/Scheduler.h"
#include "core/store/EntityDescription.h"
#include "core/store/ManagedObject.h"
#include "core/store/Predicate.h"
#include "core/store/UndoManager.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace brivel::store {

class SqliteStore;

// Listens to everything that happens in a context: list controllers and item models follow it.
class ContextListener {
public:
    virtual ~ContextListener() = default;
    virtual void objectsInserted(const std::vector<ManagedObject*>& /*objects*/) {}
    virtual void objectsDeleted(const std::vector<ManagedObject*>& /*objects*/) {}
    virtual void objectChanged(ManagedObject* /*object*/, KeyId /*key*/) {}
    // Everything is about to change (rollback): let go of every record.
    virtual void contextWillReset() {}
    // Everything may have changed: start over.
    virtual void contextReset() {}
};

// The records of one account, held in memory, over the SQLite file they were loaded from.
class ObjectContext {
public:
    explicit ObjectContext(const ObjectModel& model);
    ~ObjectContext();
    ObjectContext(const ObjectContext&) = delete;
    ObjectContext& operator=(const ObjectContext&) = delete;

    // Opens the store file and loads every record (the awakeFromFetch hooks run). A file that is
    // not an account database is refused and left untouched.
    static std::unique_ptr<ObjectContext> open(const ObjectModel& model,
                                               const std::filesystem::path& path, Error* error);
    // Makes an empty store file at path (refuses to overwrite one).
    static bool createStoreFile(const ObjectModel& model, const std::filesystem::path& path,
                                Error* error);
    // Checks, read-only, that path is a store file of this model that can be opened.
    static bool checkStoreFile(const ObjectModel& model, const std::filesystem::path& path,
                               Error* error);

    const ObjectModel& model() const { return m_model; }

    // Where records schedule deferred work (a trade's re-evaluation). Until the application
    // installs its main-loop scheduler, the context's own manual queue is used.
    Scheduler& scheduler() { return m_scheduler ? *m_scheduler : m_manualScheduler; }
    void setScheduler(Scheduler* scheduler) { m_scheduler = scheduler; }
    ManualScheduler& manualScheduler() { return m_manualScheduler; }
    // Where records post notifications ("ShowTradeClosingHint"); the default center unless set.
    NotificationCenter& notificationCenter() {
        return m_notifications ? *m_notifications : NotificationCenter::defaultCenter();
    }
    void setNotificationCenter(NotificationCenter* center) { m_notifications = center; }
    const std::filesystem::path& fileURL() const { return m_path; }
    // For a context that holds a copy of an account's records in memory: where the account's
    // files (its chart images) are found. Nothing is ever read from or saved to this path.
    void setFileURL(std::filesystem::path path) { m_path = std::move(path); }
    UndoManager& undoManager() { return m_undo; }

    // A new record of the entity, after its awakeFromInsert has run.
    ManagedObject* insertNewObjectForEntityForName(std::string_view entityName);
    // Deletes the record and, by the delete rules, what it owns; prepareForDeletion runs first
    // while its relationships can still be read.
    void deleteObject(ManagedObject* object);

    // The live records of one entity, in no particular order.
    const std::vector<ManagedObject*>& registeredObjects(std::string_view entityName) const;
    ManagedObject* objectWithID(ObjectID id) const;
    std::vector<ManagedObject*> executeFetchRequest(const FetchRequest& request,
                                                    Error* error = nullptr) const;

    bool hasChanges() const;
    // Validates, then writes what changed in one transaction. On failure nothing is written and
    // the error says why (several validation failures: code 1560 with the single errors).
    bool save(Error* error);
    // Validation alone, as save runs it.
    std::optional<Error> validateForSave() const;
    // Drops every unsaved change: the records are loaded again from the file.
    bool rollback(Error* error = nullptr);

    void addListener(ContextListener* listener);
    void removeListener(ContextListener* listener);

    // True while records are being loaded: changes then neither mark records nor record undo.
    bool isLoading() const { return m_loading; }

private:
    friend class ManagedObject;
    friend class SqliteStore;
    friend class StoreLoader;

    ManagedObject* makeRecord(const EntityDescription& entity, ObjectID id);
    // Takes in a record read from the file.
    void adopt(std::unique_ptr<ManagedObject> record) {
        record->m_context = this;
        registerLive(record.get());
        m_owned.push_back(std::move(record));
    }
    void registerLive(ManagedObject* object);
    void unregisterLive(ManagedObject* object);
    void reinsert(ManagedObject* object);
    void removeForUndo(ManagedObject* object);
    void collectCascade(ManagedObject* object, std::vector<ManagedObject*>& out) const;
    void didChange(ManagedObject* object, KeyId key);
    // columns: the stored columns the change touched (ManagedObject::columnBit), all of them
    // by default; none for a change the record's own row does not hold (a to-many member).
    static constexpr std::uint64_t AllColumns = ~std::uint64_t(0);
    void markChanged(ManagedObject* object, std::uint64_t columns = AllColumns) {
        if (!object->m_dirty) {
            object->m_dirty = true;
            m_changed.push_back(object);
        }
        if (columns)
            m_changedColumns[object] |= columns;
    }
    void clearAll();
    bool loadAll(Error* error);

    const ObjectModel& m_model;
    std::filesystem::path m_path;
    Scheduler* m_scheduler = nullptr;
    ManualScheduler m_manualScheduler;
    NotificationCenter* m_notifications = nullptr;
    std::unique_ptr<SqliteStore> m_store;
    UndoManager m_undo;
    std::vector<std::unique_ptr<ManagedObject>> m_owned;
    std::vector<std::vector<ManagedObject*>> m_live; // by entity index
    std::vector<ManagedObject*> m_deletedPersisted;  // to delete from the file at the next save
    // Every record changed, inserted or deleted since the last save, so that a save of one
    // change does not look at the whole account.
    std::vector<ManagedObject*> m_changed;
    // The columns changed since the last save, for the changed records that have any: a save
    // writes only those, so that it never puts back what another writer stored meanwhile.
    std::unordered_map<const ManagedObject*, std::uint64_t> m_changedColumns;
    std::vector<ContextListener*> m_listeners;
    ObjectID m_nextID = 1;
    bool m_loading = false;
};

} // namespace brivel::store
