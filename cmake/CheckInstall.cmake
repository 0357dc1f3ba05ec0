# Run by the "install" test: cmake -DBUILD_DIR=... -DPREFIX=... -DAPP_ID=...
# -DWITH_PATCH_NAMES=ON|OFF -P CheckInstall.cmake
#
# Installs the build into a fresh prefix, checks that every file is where the
# desktop and the program look for it, validates the desktop entry and the
# metainfo, and starts the installed program through its link until its window
# has been drawn.

function(fail)
    string(JOIN "" text ${ARGV})
    message(FATAL_ERROR "${text}")
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
    fail("cmake --install failed (${result}):\n${output}")
endif()

set(program_dir "${PREFIX}/lib/clavitone")
set(expected
    "${program_dir}/clavitone"
    "${program_dir}/homepage/index.html"
    "${PREFIX}/share/applications/${APP_ID}.desktop"
    "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml"
    "${PREFIX}/share/icons/hicolor/32x32/apps/${APP_ID}.png"
    "${PREFIX}/share/icons/hicolor/48x48/apps/${APP_ID}.png"
    "${PREFIX}/share/icons/hicolor/128x128/apps/${APP_ID}.png"
    "${PREFIX}/share/icons/hicolor/256x256/apps/${APP_ID}.png"
    "${PREFIX}/share/icons/hicolor/scalable/apps/${APP_ID}.svg"
    "${PREFIX}/share/man/man1/clavitone.1.gz"
    "${PREFIX}/share/doc/clavitone/copyright"
    "${PREFIX}/share/doc/clavitone/changelog.gz")
if(WITH_PATCH_NAMES)
    list(APPEND expected "${program_dir}/PATCH.INI")
endif()
foreach(path IN LISTS expected)
    if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
        fail("not installed: ${path}")
    endif()
endforeach()

# The icons must be the sizes their folders promise (a PNG keeps its width and
# height in bytes 16 to 23).
foreach(size 32 48 128 256)
    file(READ "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png" header
        LIMIT 24 HEX)
    string(SUBSTRING "${header}" 32 16 dimensions)
    math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" hex_size "${hex_size}")
    string(LENGTH "${hex_size}" length)
    while(length LESS 8)
        string(PREPEND hex_size "0")
        math(EXPR length "${length} + 1")
    endwhile()
    string(TOLOWER "${hex_size}${hex_size}" want)
    if(NOT dimensions STREQUAL want)
        fail("icon ${size}x${size} has the size bytes ${dimensions}")
    endif()
endforeach()

set(link "${PREFIX}/bin/clavitone")
if(NOT IS_SYMLINK "${link}")
    fail("${link} is not a link")
endif()
file(READ_SYMLINK "${link}" target)
if(NOT target STREQUAL "../lib/clavitone/clavitone")
    fail("${link} points to '${target}', not to ../lib/clavitone/clavitone")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}"
        "${PREFIX}/share/applications/${APP_ID}.desktop"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0 OR NOT output STREQUAL "")
        fail("desktop-file-validate (${result}):\n${output}")
    endif()
else()
    message(WARNING "desktop-file-validate not found (package desktop-file-utils)")
endif()

find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net --pedantic
        "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        fail("appstreamcli validate (${result}):\n${output}")
    endif()
else()
    message(WARNING "appstreamcli not found (package appstream)")
endif()

# Start the installed program through the link, headless, with settings of its
# own. Qt's painting log shows when the main window (304 x 436) has been drawn;
# the program never ends by itself, so timeout stops it.
set(home "${PREFIX}/home")
file(MAKE_DIRECTORY "${home}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" -E env
        QT_QPA_PLATFORM=offscreen
        "QT_LOGGING_RULES=qt.widgets.painting=true"
        "HOME=${home}" "XDG_CONFIG_HOME=${home}/.config"
        timeout 4 "${link}"
    WORKING_DIRECTORY "${home}"
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 124)
    fail("the installed program ended early (${result}):\n${output}")
endif()
# On one start in a hundred the program first opens its home page; the
# offscreen platform has no browser (Qt says so in one of two ways), so such a
# start shows its error report before the window, and is as much a start.
if(NOT output MATCHES "Syncing QRegion\\(0,0 304x436\\) of Form1" AND
   NOT output MATCHES "(Unable to detect a launcher|does not support QPlatformServices::openDocument\\(\\)) for 'file://[^']*/homepage/index.html'")
    fail("the installed program never drew its window:\n${output}")
endif()
message(STATUS "installed into ${PREFIX} and started ${link}")
