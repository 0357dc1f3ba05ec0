# The program's layers, top to bottom: app -> keyboard -> midi -> shell. Each is
# a static library, clavitone_<layer>, that links the one below it.
#
# A layer's headers are included as "<layer>/X.h". Every layer gets an include
# root of its own in the build folder that holds a link to its folder and
# nothing else, and a target sees only its own root and those of the layers it
# links. So a file that includes a header of a higher layer does not build.

# clavitone_layer(<layer> SOURCES <files>... [LINKS <targets>...])
function(clavitone_layer layer)
    cmake_parse_arguments(LAYER "" "" "SOURCES;LINKS" ${ARGN})
    set(root ${PROJECT_BINARY_DIR}/layers/${layer})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${layer} ${root}/${layer} SYMBOLIC)
    qt_add_library(clavitone_${layer} STATIC ${LAYER_SOURCES})
    target_include_directories(clavitone_${layer} PUBLIC ${root})
    target_compile_definitions(clavitone_${layer} PRIVATE ${CLAVITONE_QT_STRICT})
    target_link_libraries(clavitone_${layer} PUBLIC ${LAYER_LINKS})
endfunction()
