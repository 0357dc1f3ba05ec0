# System MIDI ports through RtMidi (ALSA, JACK, Windows multimedia). Without
# RtMidi the program has the built-in synthesiser only.
pkg_check_modules(RTMIDI IMPORTED_TARGET rtmidi)
pkg_check_modules(JACK IMPORTED_TARGET jack)

if(RTMIDI_FOUND)
    target_link_libraries(clavitone_core PRIVATE PkgConfig::RTMIDI)
    target_compile_definitions(clavitone_core PRIVATE CLAVITONE_HAVE_RTMIDI)
    if(JACK_FOUND)
        # Only to ask whether a JACK server runs, and to keep JACK quiet.
        target_link_libraries(clavitone_core PRIVATE PkgConfig::JACK)
        target_compile_definitions(clavitone_core PRIVATE CLAVITONE_HAVE_JACK)
    endif()
else()
    set_source_files_properties(
        ${CMAKE_CURRENT_SOURCE_DIR}/midi/backends/RtMidiOutput.cpp
        ${CMAKE_CURRENT_SOURCE_DIR}/midi/backends/MidiSystems.cpp
        PROPERTIES HEADER_FILE_ONLY ON)
endif()
