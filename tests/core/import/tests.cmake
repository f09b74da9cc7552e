brivel_add_gtest(brivel-import-tests
    SOURCES core/import/ImportDateParserTest.cpp core/import/ExecutionImportTest.cpp
            core/import/BrivelRoundTripTest.cpp
    DEPS brivel-core-import brivel-core-csvexport)

# brivel-cli import trades, run as a separate process.
if(TARGET brivel-cli)
    brivel_add_gtest(brivel-import-cli-tests
        SOURCES cli/ImportCliTest.cpp
        DEPS brivel-core-platform nlohmann_json::nlohmann_json)
    target_compile_definitions(brivel-import-cli-tests PRIVATE
        BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
    add_dependencies(brivel-import-cli-tests brivel-cli)
endif()
