brivel_add_gtest(brivel-app-tests
    SOURCES core/app/AppTestSupport.cpp core/app/PreferencesTest.cpp
            core/app/PreferenceArrayContentTest.cpp core/app/StartUpTest.cpp
            core/app/AccountRegistryTest.cpp core/app/AccountBackupTest.cpp
            core/app/TradeClosingHintTest.cpp core/app/AccountLockTest.cpp
    DEPS brivel-core-app)
