add_executable(brivel-model-bench model/TradeBench.cpp)
target_link_libraries(brivel-model-bench PRIVATE brivel-bench-generator brivel-core-model
    benchmark::benchmark)
brivel_warnings(brivel-model-bench)
