# The optional outputs. Each lies in a folder of its own under midi/backends/,
# whose CMakeLists.txt adds it to clavitone_midi with clavitone_backend(...)
# only when its library is found (through pkg-config) or its platform is the
# target: its sources, its libraries and the definition CLAVITONE_HAVE_<NAME>.
# The files of a back end are built only with it and need no conditions of
# their own; code outside a back end asks CLAVITONE_HAVE_<NAME>
# (midi/DefaultOutput.cpp chooses among them).

# clavitone_backend(<NAME> [PKG <pkg-config module>] [WHEN <condition>...]
#                   SOURCES <files>... [LIBS <libraries>...])
# The sources are named from the calling folder. Sets CLAVITONE_HAVE_<NAME> for
# the rest of the build (the back ends after it, tests, benchmarks): a back
# end's folder is a scope of its own, so the answer is kept in the cache, where
# every folder sees it, and is found afresh at every configure.
function(clavitone_backend name)
    cmake_parse_arguments(BACKEND "" "PKG" "WHEN;SOURCES;LIBS" ${ARGN})
    set(found TRUE)
    if(BACKEND_PKG)
        pkg_check_modules(${name} QUIET IMPORTED_TARGET GLOBAL ${BACKEND_PKG})
        if(${name}_FOUND)
            list(APPEND BACKEND_LIBS PkgConfig::${name})
        else()
            set(found FALSE)
        endif()
    endif()
    if(found AND DEFINED BACKEND_WHEN AND NOT (${BACKEND_WHEN}))
        set(found FALSE)
    endif()
    if(found)
        list(TRANSFORM BACKEND_SOURCES PREPEND ${CMAKE_CURRENT_SOURCE_DIR}/)
        target_sources(clavitone_midi PRIVATE ${BACKEND_SOURCES})
        target_link_libraries(clavitone_midi PRIVATE ${BACKEND_LIBS})
        target_compile_definitions(clavitone_midi PUBLIC CLAVITONE_HAVE_${name})
    endif()
    message(STATUS "Output back end ${name}: ${found}")
    set(CLAVITONE_HAVE_${name} ${found} CACHE INTERNAL "Whether the output back end ${name} is built")
endfunction()
