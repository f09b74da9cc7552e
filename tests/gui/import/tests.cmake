# Qt tests of src/gui/import, one executable per tested class (brivel_add_qtest).
brivel_add_qtest(ImportTradesDialogTest SOURCES gui/import/ImportTradesDialogTest.cpp
    gui/support/ViewTestAccount.cpp gui/support/ViewTestAccount.h)
