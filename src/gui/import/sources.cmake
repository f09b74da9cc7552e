# Sources of this folder, added to brivel-gui-lib.
target_sources(brivel-gui-lib PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ImportTradesDialog.cpp ${CMAKE_CURRENT_LIST_DIR}/ImportTradesDialog.h
    ${CMAKE_CURRENT_LIST_DIR}/PlannedOrderModel.cpp ${CMAKE_CURRENT_LIST_DIR}/PlannedOrderModel.h
    ${CMAKE_CURRENT_LIST_DIR}/BadLineModel.cpp ${CMAKE_CURRENT_LIST_DIR}/BadLineModel.h)
