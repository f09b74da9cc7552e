# Qt tests of src/gui/views/journal, one executable per tested class (brivel_add_qtest).
