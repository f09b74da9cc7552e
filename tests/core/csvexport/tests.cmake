brivel_add_gtest(brivel-csvexport-tests
    SOURCES core/csvexport/CSVHandlerTest.cpp
    DEPS brivel-core-csvexport)
