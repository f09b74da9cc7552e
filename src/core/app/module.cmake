# Preferences, support folder, start-up, accounts, backup and restore.

# The factory preferences ("defaultPrefs") are compiled in from resources/defaultPrefs.json.
set(BRIVEL_DEFAULT_PREFS_JSON ${PROJECT_SOURCE_DIR}/resources/defaultPrefs.json)
file(READ ${BRIVEL_DEFAULT_PREFS_JSON} BRIVEL_DEFAULT_PREFS_TEXT)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/app/DefaultPrefsResource.cpp.in
    ${CMAKE_CURRENT_BINARY_DIR}/app/DefaultPrefsResource.cpp @ONLY)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${BRIVEL_DEFAULT_PREFS_JSON})

brivel_core_module(app
    SOURCES app/SupportFolder.cpp app/FactoryPreferences.cpp
            ${CMAKE_CURRENT_BINARY_DIR}/app/DefaultPrefsResource.cpp
            app/Preferences.cpp app/DictionaryObject.cpp app/PreferenceArrayContent.cpp
            app/AccountRecord.cpp app/StartUp.cpp app/AccountRegistry.cpp
            app/AccountArrayController.cpp app/AccountBackup.cpp app/AccountCommands.cpp
            app/StrategyNames.cpp app/TradeClosingHint.cpp app/AccountLock.cpp
            app/PreferencesLock.cpp app/LeftoverCleanup.cpp
    DEPS brivel-core-controllers brivel-core-model nlohmann_json::nlohmann_json
    PRIVATE_DEPS fmt::fmt)
