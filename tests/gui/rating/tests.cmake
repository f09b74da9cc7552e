# Qt tests of src/gui/rating, one executable per tested class (brivel_add_qtest).
