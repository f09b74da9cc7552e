brivel_add_gtest(brivel-store-tests
    SOURCES core/store/StoreFileTest.cpp core/store/ObjectContextTest.cpp
            core/store/PredicateTest.cpp core/store/UndoManagerTest.cpp
            core/store/RecordArenaTest.cpp core/store/StoreLoaderTest.cpp
            core/store/StoreIdentifierTest.cpp core/store/ValueTest.cpp
    DEPS brivel-core-model SQLite::SQLite3 fmt::fmt)

# The crash test runs a writer process and kills it at random moments.
add_executable(brivel-crash-writer core/store/CrashWriter.cpp)
target_link_libraries(brivel-crash-writer PRIVATE brivel-core-model)
brivel_add_gtest(brivel-crash-tests SOURCES core/store/CrashTest.cpp
    DEPS brivel-core-model SQLite::SQLite3)
target_compile_definitions(brivel-crash-tests PRIVATE BRIVEL_CRASH_WRITER="$<TARGET_FILE:brivel-crash-writer>")
add_dependencies(brivel-crash-tests brivel-crash-writer)
