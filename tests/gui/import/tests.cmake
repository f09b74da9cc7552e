# Qt tests of src/gui/import, one executable per tested class (brivel_add_qtest).
