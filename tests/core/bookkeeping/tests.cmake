brivel_add_gtest(brivel-bookkeeping-tests
    SOURCES core/bookkeeping/TradeBookkeepingTest.cpp core/bookkeeping/RecordRulesTest.cpp
            core/bookkeeping/ChartImageDeletionTest.cpp core/bookkeeping/ChartImageFileKeeperTest.cpp
    DEPS brivel-core-controllers)

# brivel-cli's record commands, run as a separate process.
if(TARGET brivel-cli)
    brivel_add_gtest(brivel-record-cli-tests
        SOURCES core/bookkeeping/RecordCliTest.cpp
        DEPS brivel-core-platform nlohmann_json::nlohmann_json)
    target_compile_definitions(brivel-record-cli-tests PRIVATE
        BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
    add_dependencies(brivel-record-cli-tests brivel-cli)
endif()
