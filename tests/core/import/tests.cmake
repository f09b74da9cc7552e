brivel_add_gtest(brivel-import-tests
    SOURCES core/import/ImportDateParserTest.cpp core/import/ExecutionImportTest.cpp
            core/import/BrivelRoundTripTest.cpp
    DEPS brivel-core-import brivel-core-export)
