# Trade import of a generated broker file (never run by CTest).
add_library(brivel-import-bench-data STATIC import/ExecutionFileGenerator.cpp)
target_include_directories(brivel-import-bench-data PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
brivel_warnings(brivel-import-bench-data)

#   brivel-import-bench [EXECUTIONS]   times read, create, settle and save; prints the memory
add_executable(brivel-import-bench import/ImportBench.cpp)
target_link_libraries(brivel-import-bench PRIVATE brivel-import-bench-data brivel-core-import)
brivel_warnings(brivel-import-bench)

#   brivel-import-generate OUT.csv [EXECUTIONS] [SEED]   for timing brivel-cli import trades
add_executable(brivel-import-generate import/GenerateExecutions.cpp)
target_link_libraries(brivel-import-generate PRIVATE brivel-import-bench-data)
brivel_warnings(brivel-import-generate)
