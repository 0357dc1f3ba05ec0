# The packages, made by CPack from what `cmake --install` lays out:
#   Windows: cpack -G ZIP   -> clavitone-windows-x64.zip (scripts/windows)
#            cpack -G NSIS  -> clavitone-<version>-setup-x64.exe (scripts/windows)
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
    set(CPACK_GENERATOR ZIP NSIS)
    set(CPACK_PACKAGE_FILE_NAME clavitone-windows-x64)
    # include(CPack) leaves the source package's name in CPACK_PACKAGE_FILE_NAME;
    # the package tests find the zip and the installer by these.
    set(CLAVITONE_PACKAGE_ZIP ${CMAKE_BINARY_DIR}/${CPACK_PACKAGE_FILE_NAME}.zip)
    set(CLAVITONE_INSTALLER_NAME clavitone-${PROJECT_VERSION}-setup-x64)
    set(CLAVITONE_PACKAGE_INSTALLER ${CMAKE_BINARY_DIR}/${CLAVITONE_INSTALLER_NAME}.exe)

    # The installer (NSIS, Debian's makensis): the same files in
    # "Program Files\Clavitone" and, for a user who is not an administrator,
    # in "Documents\Clavitone" instead; a Start-menu shortcut to clavitone.exe,
    # which shows the program's own icon; an uninstaller, registered under
    # ...\CurrentVersion\Uninstall\Clavitone in HKEY_LOCAL_MACHINE (for all
    # users) or HKEY_CURRENT_USER (for that user), which takes all of it away
    # again and leaves the user's settings alone. /S installs and uninstalls
    # without a question; a newer installer takes the older copy away first.
    set(CPACK_NSIS_PACKAGE_NAME Clavitone)
    set(CPACK_NSIS_DISPLAY_NAME Clavitone)
    set(CPACK_PACKAGE_INSTALL_DIRECTORY Clavitone)
    set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Clavitone)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_PACKAGE_EXECUTABLES clavitone Clavitone)
    set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
    set(CPACK_NSIS_INSTALLED_ICON_NAME clavitone.exe)
    set(CPACK_NSIS_MUI_ICON ${CLAVITONE_ICON})
    set(CPACK_NSIS_MUI_UNIICON ${CLAVITONE_ICON})
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
    # A 64-bit installer, like the program: it sees the system as the program
    # does (its registry, "Program Files"), and needs no 32-bit Windows layer
    # under Wine. The uninstaller also takes away the vendor's key it leaves
    # (Software\Kestrane, where the installer notes its folder) when nothing
    # else is in it.
    set(CPACK_NSIS_DEFINES "Target amd64-unicode
Function un.onUninstSuccess
  DeleteRegKey /ifempty SHCTX 'Software\\\\${CPACK_PACKAGE_VENDOR}'
FunctionEnd")
    # The copyright reserves every right: there is no licence to agree to.
    set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
    # Each generator's own settings (read by cpack for each of them): the
    # installer's file name; the zip holds one folder of the package's name.
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackWindowsNames.cmake)
    file(CONFIGURE OUTPUT ${CPACK_PROJECT_CONFIG_FILE} CONTENT [[
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "@CLAVITONE_INSTALLER_NAME@")
elseif(CPACK_GENERATOR STREQUAL "ZIP")
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
]] @ONLY)
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
