# Sources of this folder, added to brivel-gui-lib.
target_sources(brivel-gui-lib PRIVATE
    app/AboutPanelController.cpp app/AboutPanelController.h
    app/AccountsTableModel.cpp app/AccountsTableModel.h
    app/AccountsWindowController.cpp app/AccountsWindowController.h
    app/AppController.cpp app/AppController.h
    app/DocumentRegistry.cpp app/DocumentRegistry.h
    app/ImportTrades.cpp app/ImportTrades.h
    app/ItemViewEditing.cpp app/ItemViewEditing.h
    app/MessageBoxPrompter.cpp app/MessageBoxPrompter.h
    app/PreferencesController.cpp app/PreferencesController.h
    app/QtDialogs.cpp app/QtDialogs.h
    app/QtScheduler.cpp app/QtScheduler.h
    app/SingleInstance.cpp app/SingleInstance.h
    app/Screenshooter.cpp app/Screenshooter.h
    app/StartupProbe.cpp app/StartupProbe.h
    app/ViewFactories.cpp app/ViewFactories.h)
set(BRIVEL_BUILD_NUMBER "1" CACHE STRING "The build number shown in the About panel")
target_compile_definitions(brivel-gui-lib PRIVATE BRIVEL_BUILD_NUMBER="${BRIVEL_BUILD_NUMBER}")
qt_add_resources(brivel-gui-lib brivel-app-resources PREFIX /brivel
    BASE ${PROJECT_SOURCE_DIR}/resources
    FILES ${PROJECT_SOURCE_DIR}/resources/icons/brivel.svg ${PROJECT_SOURCE_DIR}/resources/Credits.html)
