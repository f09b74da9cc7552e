# The object context over a SQLite file: records, undo, observation, predicates.
brivel_core_module(store
    SOURCES store/Value.cpp store/KeyValueCoding.cpp store/Predicate.cpp
            store/EntityDescription.cpp store/ManagedObject.cpp store/UndoManager.cpp
            store/ObjectContext.cpp store/SqliteStore.cpp store/StoreLoader.cpp
            store/RecordArena.cpp store/StoreWriter.cpp
            store/StoreIntegrity.cpp
    DEPS brivel-core-platform
    PRIVATE_DEPS SQLite::SQLite3 fmt::fmt)
