# The trade view on a large generated account, offscreen (needs the desktop application's library).
if(TARGET brivel-gui-lib)
    add_executable(brivel-trade-view-bench views/TradeViewBench.cpp)
    target_link_libraries(brivel-trade-view-bench PRIVATE brivel-bench-generator brivel-gui-lib)
    brivel_warnings(brivel-trade-view-bench)
endif()
