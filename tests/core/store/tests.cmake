brivel_add_gtest(brivel-store-tests
    SOURCES core/store/StoreFileTest.cpp core/store/ObjectContextTest.cpp core/store/PredicateTest.cpp
            core/store/ArrayControllerTest.cpp
    DEPS brivel-core-controllers SQLite::SQLite3 fmt::fmt)
