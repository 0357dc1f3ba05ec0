# The MinGW compiler's own runtime libraries, which a Windows build needs beside
# its programs, named once: CLAVITONE_MINGW_RUNTIME_DLLS (their file names) and
# CLAVITONE_MINGW_RUNTIME_PATHS (where this MinGW keeps them). The package
# installs them (cmake/WindowsPackage.cmake), the tests under Wine find them on
# the DLL path (cmake/Wine.cmake) and the package test looks for them in the
# zip (tests/windows_package.sh).
include_guard(GLOBAL)

set(CLAVITONE_MINGW_RUNTIME_DLLS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
set(CLAVITONE_MINGW_RUNTIME_PATHS)
foreach(runtime IN LISTS CLAVITONE_MINGW_RUNTIME_DLLS)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${runtime}
        OUTPUT_VARIABLE runtime_path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${runtime_path}" OR NOT EXISTS "${runtime_path}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${runtime} is")
    endif()
    list(APPEND CLAVITONE_MINGW_RUNTIME_PATHS ${runtime_path})
endforeach()
