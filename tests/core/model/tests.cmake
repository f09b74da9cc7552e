brivel_add_gtest(brivel-model-tests
    SOURCES core/model/EntitiesTest.cpp core/model/TradeTest.cpp core/model/ChartImageFilesTest.cpp
            core/model/ChartImageFileKeeperTest.cpp
    DEPS brivel-core-controllers)
