# Qt tests of src/gui/app, one executable per tested class (brivel_add_qtest).
brivel_add_qtest(QtSchedulerTest SOURCES gui/app/QtSchedulerTest.cpp)
brivel_add_qtest(AppControllerTest SOURCES gui/app/AppControllerTest.cpp)
brivel_add_qtest(AccountsWindowControllerTest SOURCES gui/app/AccountsWindowControllerTest.cpp)
brivel_add_qtest(PreferencesControllerTest SOURCES gui/app/PreferencesControllerTest.cpp)
brivel_add_qtest(AboutPanelControllerTest SOURCES gui/app/AboutPanelControllerTest.cpp)
brivel_add_qtest(SingleInstanceTest SOURCES gui/app/SingleInstanceTest.cpp)
# Walks every window of the application; the views wired in ViewFactories are checked with it.
brivel_add_qtest(AccessibilityTest SOURCES gui/app/AccessibilityTest.cpp)
