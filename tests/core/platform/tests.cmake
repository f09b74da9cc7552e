brivel_add_gtest(brivel-platform-tests
    SOURCES core/platform/PlatformTest.cpp core/platform/UserLocaleTest.cpp
            core/platform/AtomicFileTest.cpp core/platform/ProcessHeapTest.cpp
    DEPS brivel-core-platform)
