add_executable(brivel-stats-bench stats/StatsBench.cpp)
target_link_libraries(brivel-stats-bench PRIVATE brivel-bench-generator brivel-core-stats
    benchmark::benchmark)
brivel_warnings(brivel-stats-bench)

# End to end through the command line: the open of the account is most of it.
add_executable(brivel-stats-cli-bench stats/StatsCliBench.cpp)
target_link_libraries(brivel-stats-cli-bench PRIVATE brivel-bench-generator)
target_compile_definitions(brivel-stats-cli-bench PRIVATE BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
add_dependencies(brivel-stats-cli-bench brivel-cli)
brivel_warnings(brivel-stats-cli-bench)
