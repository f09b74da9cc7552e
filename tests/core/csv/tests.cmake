brivel_add_gtest(brivel-csv-tests
    SOURCES core/csv/CsvTestSupport.cpp core/csv/CsvWriterTest.cpp core/csv/CsvParserTest.cpp
            core/csv/CsvEncodingTest.cpp core/csv/CsvAdditionsTest.cpp
            core/csv/CsvRoundTripTest.cpp
    DEPS brivel-core-csv)

# brivel-cli csv parse / write as a black box; needs the whole CLI built.
if(TARGET brivel-cli)
    brivel_add_gtest(brivel-csv-cli-tests
        SOURCES core/csv/CsvCliTest.cpp
        DEPS nlohmann_json::nlohmann_json)
    target_compile_definitions(brivel-csv-cli-tests PRIVATE
        BRIVEL_CLI_PATH="$<TARGET_FILE:brivel-cli>")
    add_dependencies(brivel-csv-cli-tests brivel-cli)
endif()
