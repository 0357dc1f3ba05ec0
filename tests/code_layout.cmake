# Three rules of the code's layout, checked on the sources and on what the build
# linked:
#  - only midi/ includes the headers of the outputs (midi/backends/): the layers
#    above it, and the fakes the tests inject, reach an output through midi/'s
#    own headers;
#  - the foundation (shell/) and midi/ include no header of Qt Gui or Qt
#    Widgets: what draws lives in appearance/ and keyboard/;
#  - the recording output is the tests' own: its files are under tests/ only,
#    no layer names it or lists it, and neither the program nor its libraries
#    hold any of its code.
#
#   cmake -DSOURCE_DIR=<top folder> [-DQT_DRAWING_HEADERS=<folder>;...]
#         [-DNM=<nm> -DBINARIES=<file>;...] -P code_layout.cmake
#
# QT_DRAWING_HEADERS are the header folders of Qt Gui and Qt Widgets.

set(failures)

file(GLOB_RECURSE sources
    ${SOURCE_DIR}/app/*.h ${SOURCE_DIR}/app/*.cpp
    ${SOURCE_DIR}/appearance/*.h ${SOURCE_DIR}/appearance/*.cpp
    ${SOURCE_DIR}/keyboard/*.h ${SOURCE_DIR}/keyboard/*.cpp
    ${SOURCE_DIR}/shell/*.h ${SOURCE_DIR}/shell/*.cpp
    ${SOURCE_DIR}/tests/support/*.h ${SOURCE_DIR}/tests/support/*.cpp)
foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]midi/backends/")
    foreach(line IN LISTS includes)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
        string(STRIP "${line}" line)
        list(APPEND failures "${name} includes an output's header: ${line}")
    endforeach()
endforeach()

# A header of Qt Gui or Widgets, named alone (<QWidget>) or with its module
# (<QtWidgets/QWidget>), in the layers that do not draw.
list(LENGTH QT_DRAWING_HEADERS drawing)
if(drawing GREATER 0)
    file(GLOB_RECURSE undrawn
        ${SOURCE_DIR}/shell/*.h ${SOURCE_DIR}/shell/*.cpp
        ${SOURCE_DIR}/midi/*.h ${SOURCE_DIR}/midi/*.cpp)
    foreach(source IN LISTS undrawn)
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*<[^>]+>")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[^<]*<([^>]+)>.*$" "\\1" header "${line}")
            set(drawn FALSE)
            if(header MATCHES "^Qt(Gui|Widgets)/")
                set(drawn TRUE)
            endif()
            foreach(folder IN LISTS QT_DRAWING_HEADERS)
                if(EXISTS ${folder}/${header} AND NOT IS_DIRECTORY ${folder}/${header})
                    set(drawn TRUE)
                endif()
            endforeach()
            if(drawn)
                file(RELATIVE_PATH name ${SOURCE_DIR} ${source})
                list(APPEND failures "${name} includes a header of Qt Gui or Widgets: <${header}>")
            endif()
        endforeach()
    endforeach()
else()
    message(STATUS "No header folders of Qt Gui and Widgets: their includes are not looked for")
endif()

# Every folder of the sources but the tests' own (and build folders).
file(GLOB tops LIST_DIRECTORIES true RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*)
list(FILTER tops EXCLUDE REGEX "^(tests$|build|out$|\\.)")
foreach(top IN LISTS tops)
    if(IS_DIRECTORY ${SOURCE_DIR}/${top})
        file(GLOB_RECURSE found RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/${top}/*RecorderOutput*)
        foreach(name IN LISTS found)
            list(APPEND failures "${name}: the tests' recording output outside tests/")
        endforeach()
    endif()
endforeach()

file(GLOB_RECURSE layers RELATIVE ${SOURCE_DIR}
    ${SOURCE_DIR}/app/* ${SOURCE_DIR}/appearance/* ${SOURCE_DIR}/keyboard/* ${SOURCE_DIR}/midi/*
    ${SOURCE_DIR}/shell/*)
foreach(name IN LISTS layers)
    file(STRINGS ${SOURCE_DIR}/${name} mentions REGEX "RecorderOutput")
    if(mentions)
        list(APPEND failures "${name}: the tests' recording output in the program's own code")
    endif()
endforeach()
file(GLOB lists ${SOURCE_DIR}/CMakeLists.txt ${SOURCE_DIR}/*/CMakeLists.txt ${SOURCE_DIR}/cmake/*.cmake)
list(FILTER lists EXCLUDE REGEX "/(tests|bench|fuzz)/CMakeLists.txt$")
foreach(list_file IN LISTS lists)
    file(STRINGS ${list_file} mentions REGEX "RecorderOutput")
    if(mentions)
        file(RELATIVE_PATH name ${SOURCE_DIR} ${list_file})
        list(APPEND failures "${name} builds the tests' recording output into the program")
    endif()
endforeach()

list(LENGTH BINARIES linked)
if(NM AND linked GREATER 0)
    foreach(binary IN LISTS BINARIES)
        execute_process(COMMAND ${NM} ${binary}
            OUTPUT_VARIABLE symbols ERROR_VARIABLE errors RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            list(APPEND failures "${NM} could not read ${binary}: ${errors}")
        elseif(symbols MATCHES "RecorderOutput")
            list(APPEND failures "${binary} holds the tests' recording output")
        endif()
    endforeach()
else()
    set(linked 0)
    message(STATUS "No nm: the linked program is not looked at")
endif()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "The code's layout is broken:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "Looked at ${count} sources and ${linked} linked files")
