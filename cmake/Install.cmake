# `cmake --install`: the two programs, the desktop entry, the AppStream metainfo and the
# scalable icon, in the places desktops look for them under the prefix.
include(GNUInstallDirs)
set(BRIVEL_APP_ID org.brivel.TradeJournal)
install(TARGETS brivel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(BRIVEL_BUILD_GUI)
    install(TARGETS brivel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${PROJECT_SOURCE_DIR}/resources/${BRIVEL_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/${BRIVEL_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/brivel.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME ${BRIVEL_APP_ID}.svg)
endif()
