brivel_add_gtest(brivel-app-tests
    SOURCES core/app/AppTestSupport.cpp core/app/PreferencesTest.cpp
            core/app/PreferenceArrayContentTest.cpp core/app/StartUpTest.cpp
            core/app/AccountRegistryTest.cpp core/app/AccountBackupTest.cpp
            core/app/TradeClosingHintTest.cpp core/app/AccountLockTest.cpp
    DEPS brivel-core-app SQLite::SQLite3)

# Several brivel-cli processes at once on one account, and where their output goes.
brivel_add_gtest(brivel-app-cli-tests
    SOURCES core/app/AppTestSupport.cpp support/CliFixture.cpp core/app/CliAccountsTest.cpp
            core/app/ConcurrentWritersTest.cpp core/app/CliOutputFilesTest.cpp
    DEPS brivel-core-app SQLite::SQLite3)
target_compile_definitions(brivel-app-cli-tests PRIVATE BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
add_dependencies(brivel-app-cli-tests brivel-cli)
