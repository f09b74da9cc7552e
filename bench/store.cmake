add_library(brivel-bench-generator STATIC support/AccountGenerator.cpp)
target_include_directories(brivel-bench-generator PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(brivel-bench-generator PUBLIC brivel-core-model)
brivel_warnings(brivel-bench-generator)

add_executable(brivel-store-bench store/StoreBench.cpp)
target_link_libraries(brivel-store-bench PRIVATE brivel-bench-generator benchmark::benchmark)
brivel_warnings(brivel-store-bench)
