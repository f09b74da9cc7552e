brivel_add_gtest(brivel-csv-tests
    SOURCES core/csv/CsvTestSupport.cpp core/csv/CsvWriterTest.cpp core/csv/CsvParserTest.cpp
            core/csv/CsvEncodingTest.cpp core/csv/CsvAdditionsTest.cpp
            core/csv/CsvRoundTripTest.cpp core/csv/FileReadAheadTest.cpp
            core/csv/FileWriteBehindTest.cpp
    DEPS brivel-core-csv)
