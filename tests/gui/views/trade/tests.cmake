# Qt tests of src/gui/views/trade, one executable per tested class (brivel_add_qtest).
foreach(test TradeViewTest TradeListTableViewTest ChartImageWellTest EnlargedImgPanelTest
        ImgPathTransformerTest)
    brivel_add_qtest(${test} SOURCES gui/views/trade/${test}.cpp gui/views/trade/TradeTestAccount.h)
endforeach()

# Not a test: renders the trade view to PNG files for looking at it (screenshots script).
add_executable(brivel-trade-view-screenshots gui/views/trade/TradeViewScreenshots.cpp)
set_target_properties(brivel-trade-view-screenshots PROPERTIES AUTOMOC ON)
target_link_libraries(brivel-trade-view-screenshots PRIVATE brivel-gui-lib brivel-test-support Qt6::Test)
brivel_warnings(brivel-trade-view-screenshots)
