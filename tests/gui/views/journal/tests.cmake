# Qt tests of src/gui/views/journal, one executable per tested class (brivel_add_qtest).
foreach(test JournalViewTest NotesTableViewTest PriceBarrierTableViewTest)
    brivel_add_qtest(${test} SOURCES gui/views/journal/${test}.cpp
        gui/views/journal/JournalTestSupport.h
        gui/support/ViewTestAccount.cpp gui/support/ViewTestAccount.h)
endforeach()
