if(BRIVEL_BUILD_GUI)
    add_test(NAME InstallTest
             COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/install/install_test.sh ${PROJECT_BINARY_DIR})
endif()
