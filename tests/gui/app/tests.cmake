# Qt tests of src/gui/app, one executable per tested class (brivel_add_qtest).
