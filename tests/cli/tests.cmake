# brivel-cli run as a user runs it: a separate process per command (support/CliFixture).
brivel_add_gtest(brivel-cli-tests
    SOURCES support/CliFixture.cpp core/app/AppTestSupport.cpp cli/AccountsCommandsTest.cpp
            cli/RecordCommandsTest.cpp cli/ReportCommandsTest.cpp cli/ExportCommandsTest.cpp
            cli/CsvCommandsTest.cpp cli/StatsCommandsTest.cpp cli/ImportCommandsTest.cpp
    DEPS brivel-core-app SQLite::SQLite3)
target_compile_definitions(brivel-cli-tests PRIVATE BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
add_dependencies(brivel-cli-tests brivel-cli)
