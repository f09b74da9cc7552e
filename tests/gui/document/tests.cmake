# Qt tests of src/gui/document, one executable per tested class (brivel_add_qtest).
