brivel_add_gtest(brivel-stats-tests
    SOURCES core/stats/TradeStatisticsTest.cpp
    DEPS brivel-core-stats)

# brivel-cli stats, run as a separate process.
if(TARGET brivel-cli)
    brivel_add_gtest(brivel-stats-cli-tests
        SOURCES core/stats/StatsCliTest.cpp
        DEPS brivel-core-platform nlohmann_json::nlohmann_json)
    target_compile_definitions(brivel-stats-cli-tests PRIVATE
        BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
    add_dependencies(brivel-stats-cli-tests brivel-cli)
endif()
