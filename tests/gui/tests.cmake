if(BRIVEL_BUILD_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    # One Qt Test executable per tested class, named after the test class.
    function(brivel_add_qtest name)
        cmake_parse_arguments(T "" "" "SOURCES;DEPS" ${ARGN})
        add_executable(${name} ${T_SOURCES})
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PRIVATE brivel-gui-lib brivel-test-support Qt6::Test ${T_DEPS})
        brivel_warnings(${name})
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES ENVIRONMENT
            "QT_QPA_PLATFORM=offscreen;LC_ALL=en_US.UTF-8;TZ=America/New_York;BRIVEL_NO_RATING_PROMPT=1")
    endfunction()
    brivel_add_qtest(ArrayControllerModelTest SOURCES gui/ArrayControllerModelTest.cpp)
    # Each window or view folder lists its own tests.
    foreach(folder app document views/journal views/trade report stats import rating)
        include(${CMAKE_CURRENT_SOURCE_DIR}/gui/${folder}/tests.cmake)
    endforeach()
endif()
