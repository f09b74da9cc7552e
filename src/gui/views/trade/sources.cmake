# Sources of this folder, added to brivel-gui-lib.
find_package(Qt6 REQUIRED COMPONENTS Concurrent)
target_sources(brivel-gui-lib PRIVATE
    views/trade/TradeView.cpp views/trade/TradeView.h
    views/trade/TradeListTableView.cpp views/trade/TradeListTableView.h
    views/trade/TradeRowDelegate.cpp views/trade/TradeRowDelegate.h
    views/trade/ControllerSelectionSync.cpp views/trade/ControllerSelectionSync.h
    views/trade/RecordCellDelegate.cpp views/trade/RecordCellDelegate.h
    views/trade/StrategyDelegate.cpp views/trade/StrategyDelegate.h
    views/trade/ChartImageWell.cpp views/trade/ChartImageWell.h
    views/trade/ChartImageEncoder.cpp views/trade/ChartImageEncoder.h
    views/trade/ImgPathTransformer.cpp views/trade/ImgPathTransformer.h
    views/trade/EnlargedImgPanel.cpp views/trade/EnlargedImgPanel.h
    views/trade/TradeClosingHintPanel.cpp views/trade/TradeClosingHintPanel.h)
target_link_libraries(brivel-gui-lib PUBLIC Qt6::Concurrent)
