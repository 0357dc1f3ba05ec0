# Installation. On Linux and other Unix systems the program lives with the
# files it reads in a private folder, <prefix>/lib/clavitone, and is started
# through <prefix>/bin/clavitone, a relative link to it. The desktop entry,
# AppStream metainfo, icons and man page go where the desktop looks for them.
# Elsewhere everything goes into <prefix> itself, the folder the zip holds.
include(GNUInstallDirs)

set(CLAVITONE_APP_ID org.kestrane.Clavitone)
set(CLAVITONE_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/resources)

if(UNIX AND NOT APPLE)
    set(CLAVITONE_PROGRAM_DIR lib/clavitone)
else()
    set(CLAVITONE_PROGRAM_DIR .)
endif()

install(TARGETS clavitone RUNTIME DESTINATION ${CLAVITONE_PROGRAM_DIR})
install(DIRECTORY ${CLAVITONE_RESOURCES}/homepage DESTINATION ${CLAVITONE_PROGRAM_DIR})
set(CLAVITONE_WITH_PATCH_NAMES OFF)
if(EXISTS ${CLAVITONE_RESOURCES}/PATCH.INI)
    set(CLAVITONE_WITH_PATCH_NAMES ON)
    install(FILES ${CLAVITONE_RESOURCES}/PATCH.INI DESTINATION ${CLAVITONE_PROGRAM_DIR})
endif()

if(UNIX AND NOT APPLE)
    # A relative link keeps the installed tree movable.
    install(CODE [[
        set(link "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/clavitone")
        file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
        file(REMOVE "${link}")
        file(CREATE_LINK ../lib/clavitone/clavitone "${link}" SYMBOLIC)
        message(STATUS "Installing: ${link} -> ../lib/clavitone/clavitone")
    ]])

    install(FILES ${CLAVITONE_RESOURCES}/${CLAVITONE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CLAVITONE_RESOURCES}/${CLAVITONE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    foreach(size 32 48 128 256)
        install(FILES ${CLAVITONE_RESOURCES}/icons/clavitone-${size}.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
            RENAME ${CLAVITONE_APP_ID}.png)
    endforeach()
    install(FILES ${CLAVITONE_RESOURCES}/icons/clavitone.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${CLAVITONE_APP_ID}.svg)
    # The man page and the changelog compressed, as Debian keeps them; -n keeps
    # the name and time out, so the same sources make the same package.
    find_program(CLAVITONE_GZIP gzip REQUIRED)
    set(CLAVITONE_GZIPPED)
    foreach(file clavitone.1 changelog)
        add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${file}.gz
            COMMAND ${CLAVITONE_GZIP} -9nc ${CLAVITONE_RESOURCES}/${file} > ${CMAKE_BINARY_DIR}/${file}.gz
            DEPENDS ${CLAVITONE_RESOURCES}/${file}
            VERBATIM)
        list(APPEND CLAVITONE_GZIPPED ${CMAKE_BINARY_DIR}/${file}.gz)
    endforeach()
    add_custom_target(clavitone_gzipped ALL DEPENDS ${CLAVITONE_GZIPPED})
    install(FILES ${CMAKE_BINARY_DIR}/clavitone.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    install(FILES ${CMAKE_BINARY_DIR}/changelog.gz ${CLAVITONE_RESOURCES}/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/clavitone)

    if(BUILD_TESTING)
        # Installs into a fresh folder, checks the files and starts the program
        # through its link.
        add_test(NAME install
            COMMAND ${CMAKE_COMMAND}
                -DBUILD_DIR=${CMAKE_BINARY_DIR}
                -DPREFIX=${CMAKE_BINARY_DIR}/install-check
                -DAPP_ID=${CLAVITONE_APP_ID}
                -DWITH_PATCH_NAMES=${CLAVITONE_WITH_PATCH_NAMES}
                -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/CheckInstall.cmake)
        set_tests_properties(install PROPERTIES TIMEOUT 120)
    endif()
endif()

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/WindowsPackage.cmake)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/Package.cmake)
