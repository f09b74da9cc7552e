brivel_add_gtest(brivel-controllers-tests
    SOURCES core/controllers/ArrayControllerTest.cpp core/controllers/RecordRulesTest.cpp
            core/controllers/SortKeyTableTest.cpp
    DEPS brivel-core-controllers)
