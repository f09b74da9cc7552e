brivel_add_gtest(brivel-export-tests
    SOURCES core/export/CSVHandlerTest.cpp
    DEPS brivel-core-export)
