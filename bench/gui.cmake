# The GUI library carries Qt's resources; its Qt targets must be known here too.
if(BRIVEL_BUILD_GUI)
    find_package(Qt6 REQUIRED COMPONENTS Widgets Network)
endif()

add_executable(brivel-generate-account tools/GenerateAccount.cpp)
target_link_libraries(brivel-generate-account PRIVATE brivel-bench-generator)
brivel_warnings(brivel-generate-account)

if(BRIVEL_BUILD_GUI)
    add_executable(brivel-gui-start-bench gui/GuiStartBench.cpp)
    target_link_libraries(brivel-gui-start-bench PRIVATE brivel-bench-generator brivel-core)
    target_compile_definitions(brivel-gui-start-bench PRIVATE
        BRIVEL_APP_PATH="$<TARGET_FILE:brivel>")
    add_dependencies(brivel-gui-start-bench brivel)
    brivel_warnings(brivel-gui-start-bench)
endif()

# The report view's benchmark: a Qt program run offscreen, not a Google Benchmark.
if(BRIVEL_BUILD_GUI)
    add_executable(brivel-report-view-bench gui/ReportViewBench.cpp)
    target_link_libraries(brivel-report-view-bench PRIVATE brivel-bench-generator brivel-gui-lib)
    brivel_warnings(brivel-report-view-bench)
endif()
