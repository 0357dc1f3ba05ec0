# The packages, made by CPack from what `cmake --install` lays out:
#   Windows: cpack -G ZIP   -> clavitone-windows-x64.zip (scripts/windows)
#   Debian:  cpack -G DEB   -> clavitone_<version>_<arch>.deb (scripts/deb)
set(CPACK_PACKAGE_NAME clavitone)
set(CPACK_PACKAGE_VENDOR Kestrane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "play MIDI notes with the letter keys of the computer keyboard")
set(CPACK_PACKAGE_CONTACT "Kestrane maintainers <maintainers@users.noreply.c-seed-d3016261.example>")
set(CPACK_STRIP_FILES ON)
# Folders in a package are rwxr-xr-x whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

if(WIN32)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME clavitone-windows-x64)
    # include(CPack) leaves the source package's name in CPACK_PACKAGE_FILE_NAME;
    # the package test finds the zip by this one.
    set(CLAVITONE_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
    # The zip holds one folder of the package's name.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION sound)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
    # The synopsis is the summary above; this is the extended description.
    set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
        "Clavitone turns the computer keyboard into a musical instrument. Each letter
from A to Z plays one note of a chromatic run of 26 semitones, half a second
after the key is pressed, with the General MIDI instrument of your choice.
.
Five bars choose the MIDI channel, the volume, the octave, the instrument and
the stereo pan; the choices are remembered for the next start. The notes are
played by a built-in synthesiser or sent to a MIDI port of the system.")
    # The libraries the program links, from its ELF file (dpkg-shlibdeps), and a
    # General MIDI soundfont where the built-in synthesiser looks for one: both
    # packages put theirs at /usr/share/sounds/sf2/default-GM.sf2.
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "fluid-soundfont-gm | timgm6mb-soundfont")
endif()

include(CPack)
