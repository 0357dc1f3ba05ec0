# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (posix threads, for
# std::thread and std::mutex).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CLAVITONE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${CLAVITONE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CLAVITONE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${CLAVITONE_MINGW_PREFIX}-windres)

# Libraries and headers come from the MinGW sysroot (and the Windows Qt named in
# CMAKE_PREFIX_PATH), never from the Linux host; programs run on the host.
set(CMAKE_FIND_ROOT_PATH /usr/${CLAVITONE_MINGW_PREFIX} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The host's pkg-config would find the Linux FluidSynth, RtMidi and JACK.
set(PKG_CONFIG_EXECUTABLE /usr/bin/${CLAVITONE_MINGW_PREFIX}-pkg-config CACHE FILEPATH "")
