# Qt tests of src/gui/document, one executable per tested class (brivel_add_qtest).
brivel_add_qtest(AccountDocumentTest SOURCES gui/document/AccountDocumentTest.cpp)
brivel_add_qtest(AccountWindowTest SOURCES gui/document/AccountWindowTest.cpp)
