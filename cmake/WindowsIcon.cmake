# The program file's own icon on Windows: clavitone.ico, made at build time
# from the four PNG pictures in resources/icons (the 256-pixel one kept as PNG,
# as Windows reads it), put into clavitone.exe as its first icon resource. The
# Start-menu shortcut and the list of installed programs show it.
find_program(CLAVITONE_ICOTOOL icotool REQUIRED)

set(CLAVITONE_ICON ${CMAKE_BINARY_DIR}/clavitone.ico)
set(icon_pictures)
foreach(size 32 48 128)
    list(APPEND icon_pictures ${CMAKE_CURRENT_LIST_DIR}/../resources/icons/clavitone-${size}.png)
endforeach()
set(icon_large ${CMAKE_CURRENT_LIST_DIR}/../resources/icons/clavitone-256.png)
add_custom_command(OUTPUT ${CLAVITONE_ICON}
    COMMAND ${CLAVITONE_ICOTOOL} -c -o ${CLAVITONE_ICON} ${icon_pictures} -r ${icon_large}
    DEPENDS ${icon_pictures} ${icon_large}
    COMMENT "Making clavitone.ico"
    VERBATIM)

set(CLAVITONE_ICON_RC ${CMAKE_BINARY_DIR}/clavitone-icon.rc)
file(CONFIGURE OUTPUT ${CLAVITONE_ICON_RC} CONTENT "1 ICON \"@CLAVITONE_ICON@\"\n" @ONLY)
set_source_files_properties(${CLAVITONE_ICON_RC} PROPERTIES OBJECT_DEPENDS ${CLAVITONE_ICON})
target_sources(clavitone PRIVATE ${CLAVITONE_ICON_RC})
