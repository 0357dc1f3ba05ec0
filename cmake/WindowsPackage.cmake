# What a Windows copy needs beside clavitone.exe (installed into <prefix>, which
# CPack packs into clavitone-windows-x64.zip): the Qt libraries
# and the plugins Qt loads from the program's folder, the MinGW runtime, the
# example skins and README.txt. Qt's windeployqt does not run on a Linux host,
# so the list is explicit.
set(CLAVITONE_PACKAGE_DIR .)

install(FILES $<TARGET_FILE:Qt6::Core> $<TARGET_FILE:Qt6::Gui> $<TARGET_FILE:Qt6::Widgets>
    DESTINATION ${CLAVITONE_PACKAGE_DIR})
install(FILES $<TARGET_FILE:Qt6::QWindowsIntegrationPlugin>
    DESTINATION ${CLAVITONE_PACKAGE_DIR}/platforms)
if(TARGET Qt6::QWindowsVistaStylePlugin)
    install(FILES $<TARGET_FILE:Qt6::QWindowsVistaStylePlugin>
        DESTINATION ${CLAVITONE_PACKAGE_DIR}/styles)
endif()

# The compiler's own runtime libraries, wherever this MinGW keeps them.
include(${CMAKE_CURRENT_LIST_DIR}/MingwRuntime.cmake)
install(FILES ${CLAVITONE_MINGW_RUNTIME_PATHS} DESTINATION ${CLAVITONE_PACKAGE_DIR})

install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/skins DESTINATION ${CLAVITONE_PACKAGE_DIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/resources/windows/README.txt
    DESTINATION ${CLAVITONE_PACKAGE_DIR})
