# Qt tests of src/gui/views/trade, one executable per tested class (brivel_add_qtest).
foreach(test TradeViewTest TradeListTableViewTest ChartImageWellTest)
    brivel_add_qtest(${test} SOURCES gui/views/trade/${test}.cpp
        gui/support/ViewTestAccount.cpp gui/support/ViewTestAccount.h)
endforeach()
foreach(test EnlargedImgPanelTest ImgPathTransformerTest)
    brivel_add_qtest(${test} SOURCES gui/views/trade/${test}.cpp)
endforeach()
