# Qt tests of src/gui/report, one executable per tested class (brivel_add_qtest).
