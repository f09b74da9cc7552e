# CSV parser and writer on generated trade-export files (never run by CTest).
add_library(brivel-csv-bench-data STATIC csv/TradeCsvGenerator.cpp)
target_link_libraries(brivel-csv-bench-data PUBLIC brivel-core-csv PRIVATE fmt::fmt)
brivel_warnings(brivel-csv-bench-data)

# Google Benchmark: parse and write 10 MB and 100 MB trade exports.
add_executable(brivel-csv-bench csv/CsvBench.cpp)
target_link_libraries(brivel-csv-bench PRIVATE brivel-csv-bench-data benchmark::benchmark)
brivel_warnings(brivel-csv-bench)

# Writes a generated trade export: brivel-csv-generate OUT.csv BYTES [SEED]
add_executable(brivel-csv-generate csv/GenerateTrades.cpp)
target_link_libraries(brivel-csv-generate PRIVATE brivel-csv-bench-data)
brivel_warnings(brivel-csv-generate)

# Drivers for the side-by-side run with other CSV libraries (shared/bench/csv-peers/run.sh):
#   brivel-csv-parse-driver FILE             prints records= fields= field_len= unit=utf8
#   brivel-csv-write-driver IN OUT TIMELOG   times writing IN's rows to OUT
add_executable(brivel-csv-parse-driver csv/ParseDriver.cpp)
target_link_libraries(brivel-csv-parse-driver PRIVATE brivel-core-csv)
brivel_warnings(brivel-csv-parse-driver)
add_executable(brivel-csv-write-driver csv/WriteDriver.cpp)
target_link_libraries(brivel-csv-write-driver PRIVATE brivel-core-csv)
brivel_warnings(brivel-csv-write-driver)
