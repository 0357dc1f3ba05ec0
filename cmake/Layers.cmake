# The program's layers, top to bottom: app -> keyboard -> midi -> shell, and
# beside keyboard and midi, appearance -> shell (app links both). Each is a
# static library, clavitone_<layer>, that links the ones below it, and only
# those: shell links Qt Core, and the Gui and Widgets modules come in with the
# layers that draw (appearance, keyboard).
#
# A layer's headers are included as "<layer>/X.h". Every layer gets an include
# root of its own in the build folder that holds a link to its folder and
# nothing else, and a target sees only its own root and those of the layers it
# links. So a file that includes a header of a higher layer, or of a layer
# beside its own, does not build.
#
# A private folder of a layer, <layer>/<folder>/, is the layer's own: its root
# holds a folder <layer>/ with a link to each entry of the layer's folder but
# the private ones, and each private folder gets a root of its own,
# layers/<layer>-<folder>/, that only clavitone_<layer> includes. So a file of
# a higher layer that includes "<layer>/<folder>/X.h" does not build either.
# The tests and benchmarks of what a private folder holds link
# clavitone_<layer>_<folder>, which carries its root.

# clavitone_layer(<layer> SOURCES <files>... [LINKS <targets>...]
#                 [PRIVATE_FOLDERS <folder>...])
function(clavitone_layer layer)
    cmake_parse_arguments(LAYER "" "" "SOURCES;LINKS;PRIVATE_FOLDERS" ${ARGN})
    set(source ${PROJECT_SOURCE_DIR}/${layer})
    set(root ${PROJECT_BINARY_DIR}/layers/${layer})
    # Made afresh at every configure; removing a link never follows it.
    file(REMOVE_RECURSE ${root})
    if(LAYER_PRIVATE_FOLDERS)
        # The entries are looked at again at every build: a file added to the
        # layer's folder makes CMake run again, and is seen.
        file(GLOB entries CONFIGURE_DEPENDS LIST_DIRECTORIES true RELATIVE ${source} ${source}/*)
        list(REMOVE_ITEM entries ${LAYER_PRIVATE_FOLDERS})
        file(MAKE_DIRECTORY ${root}/${layer})
        foreach(entry IN LISTS entries)
            file(CREATE_LINK ${source}/${entry} ${root}/${layer}/${entry} SYMBOLIC)
        endforeach()
    else()
        file(MAKE_DIRECTORY ${root})
        file(CREATE_LINK ${source} ${root}/${layer} SYMBOLIC)
    endif()
    qt_add_library(clavitone_${layer} STATIC ${LAYER_SOURCES})
    target_include_directories(clavitone_${layer} PUBLIC ${root})
    target_compile_definitions(clavitone_${layer} PRIVATE ${CLAVITONE_QT_STRICT})
    target_link_libraries(clavitone_${layer} PUBLIC ${LAYER_LINKS})
    foreach(folder IN LISTS LAYER_PRIVATE_FOLDERS)
        set(private_root ${PROJECT_BINARY_DIR}/layers/${layer}-${folder})
        file(REMOVE_RECURSE ${private_root})
        file(MAKE_DIRECTORY ${private_root}/${layer})
        file(CREATE_LINK ${source}/${folder} ${private_root}/${layer}/${folder} SYMBOLIC)
        target_include_directories(clavitone_${layer} PRIVATE ${private_root})
        add_library(clavitone_${layer}_${folder} INTERFACE)
        target_include_directories(clavitone_${layer}_${folder} INTERFACE ${private_root})
        target_link_libraries(clavitone_${layer}_${folder} INTERFACE clavitone_${layer})
    endforeach()
endfunction()
