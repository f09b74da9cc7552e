# Warnings are set per target, never per folder tree.
function(brivel_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
    if(BRIVEL_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

# A core module: one static library named brivel-core-<name> from the sources of its folder,
# part of brivel-core. DEPS are what its headers need (modules below it, libraries whose headers
# they include); PRIVATE_DEPS what only its sources use.
function(brivel_core_module name)
    cmake_parse_arguments(M "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
    add_library(brivel-core-${name} STATIC ${M_SOURCES})
    target_include_directories(brivel-core-${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(brivel-core-${name} PUBLIC ${M_DEPS} PRIVATE ${M_PRIVATE_DEPS})
    brivel_warnings(brivel-core-${name})
    target_link_libraries(brivel-core INTERFACE brivel-core-${name})
endfunction()

# One GoogleTest executable per module, registered with CTest.
function(brivel_add_gtest name)
    cmake_parse_arguments(T "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_DEPS} brivel-test-support GTest::gtest GTest::gmock GTest::gtest_main)
    brivel_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "LC_ALL=en_US.UTF-8;TZ=America/New_York")
endfunction()
