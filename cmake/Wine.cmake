# A Windows build made on Linux runs its programs (the tests) under Wine: every
# test program is started through <build>/wine-run, which keeps a Wine prefix of
# the build's own (<build>/wine) and finds the Qt libraries where they were
# built. Included only when cross-compiling for Windows.
find_program(CLAVITONE_WINE NAMES wine64 wine PATHS /usr/lib/wine)
find_program(CLAVITONE_WINESERVER NAMES wineserver PATHS /usr/lib/wine)
if(NOT CLAVITONE_WINE OR NOT CLAVITONE_WINESERVER)
    message(FATAL_ERROR "Wine (package wine64) runs the tests of a Windows build; "
        "install it or configure with -DBUILD_TESTING=OFF")
endif()

# The folders of the Qt libraries and of the compiler's runtime, as Windows
# names them under Wine (drive Z: is /).
get_target_property(CLAVITONE_QT_CORE_DLL Qt6::Core IMPORTED_LOCATION_RELEASE)
if(NOT CLAVITONE_QT_CORE_DLL)
    get_target_property(CLAVITONE_QT_CORE_DLL Qt6::Core LOCATION)
endif()
get_filename_component(CLAVITONE_QT_BIN "${CLAVITONE_QT_CORE_DLL}" DIRECTORY)
include(${CMAKE_CURRENT_LIST_DIR}/MingwRuntime.cmake)
set(CLAVITONE_WINE_DLL_FOLDERS ${CLAVITONE_QT_BIN})
foreach(runtime_path IN LISTS CLAVITONE_MINGW_RUNTIME_PATHS)
    get_filename_component(runtime_folder "${runtime_path}" DIRECTORY)
    get_filename_component(runtime_folder "${runtime_folder}" REALPATH)
    list(APPEND CLAVITONE_WINE_DLL_FOLDERS ${runtime_folder})
endforeach()
list(REMOVE_DUPLICATES CLAVITONE_WINE_DLL_FOLDERS)
list(TRANSFORM CLAVITONE_WINE_DLL_FOLDERS PREPEND "Z:")
string(REPLACE "/" "\\" CLAVITONE_WINE_DLL_PATH "${CLAVITONE_WINE_DLL_FOLDERS}")

set(CLAVITONE_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
set(CLAVITONE_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.in ${CLAVITONE_WINE_RUN} @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
        WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CLAVITONE_WINE_RUN})
