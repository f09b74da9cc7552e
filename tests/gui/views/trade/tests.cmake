# Qt tests of src/gui/views/trade, one executable per tested class (brivel_add_qtest).
