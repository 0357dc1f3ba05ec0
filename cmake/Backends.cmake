# The optional outputs. Each is added to clavitone_midi only when its library is
# found (through pkg-config) or its platform is the target: its sources, its
# libraries and the definition CLAVITONE_HAVE_<NAME>. The files of a back end
# are built only with it and need no conditions of their own; code outside a
# back end asks CLAVITONE_HAVE_<NAME> (midi/DefaultOutput.cpp chooses
# among them).

# clavitone_backend(<NAME> [PKG <pkg-config module>] [WHEN <condition>...]
#                   SOURCES <files>... [LIBS <libraries>...])
# Sets CLAVITONE_HAVE_<NAME> for the rest of the build (tests, benchmarks).
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
        list(TRANSFORM BACKEND_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/midi/backends/)
        target_sources(clavitone_midi PRIVATE ${BACKEND_SOURCES})
        target_link_libraries(clavitone_midi PRIVATE ${BACKEND_LIBS})
        target_compile_definitions(clavitone_midi PUBLIC CLAVITONE_HAVE_${name})
    endif()
    message(STATUS "Output back end ${name}: ${found}")
    set(CLAVITONE_HAVE_${name} ${found} PARENT_SCOPE)
endfunction()

# Whether PulseAudio (or PipeWire) and JACK run, asked of their Unix sockets:
# where the built-in synthesiser chooses its way out and the MIDI ports ask
# for JACK.
clavitone_backend(SOUND_SERVERS WHEN UNIX
    SOURCES SoundServers.cpp SoundServers.h)
# The built-in synthesiser.
clavitone_backend(FLUIDSYNTH PKG fluidsynth
    SOURCES FluidSynthOutput.cpp FluidSynthOutput.h FluidHandles.h
            FluidSynthRenderer.cpp FluidSynthRenderer.h
            FluidSynthDriverSink.cpp FluidSynthDriverSink.h AudioSink.h RestTimer.h
            PinnedPresets.cpp PinnedPresets.h
            SynthWorker.cpp SynthWorker.h TimedMessages.cpp TimedMessages.h)
# The built-in synthesiser's own PulseAudio (or PipeWire) stream; without it the
# synthesiser plays through FluidSynth's drivers alone. Its render thread asks
# RealtimeKit for real-time scheduling over the system's D-Bus.
find_package(Qt6 QUIET COMPONENTS DBus)
clavitone_backend(LIBPULSE PKG libpulse WHEN CLAVITONE_HAVE_FLUIDSYNTH AND TARGET Qt6::DBus
    SOURCES PulseAudioSink.cpp PulseAudioSink.h RenderPriority.cpp RenderPriority.h
    LIBS Qt6::DBus)
# Whether ALSA's default device is PulseAudio's plugin: not to be played into
# while the server does not answer.
clavitone_backend(ALSA PKG alsa WHEN CLAVITONE_HAVE_LIBPULSE
    SOURCES AlsaDefault.cpp AlsaDefault.h)
# System MIDI ports (ALSA, JACK, Windows multimedia).
clavitone_backend(RTMIDI PKG rtmidi
    SOURCES RtMidiOutput.cpp RtMidiOutput.h MidiSystems.cpp MidiSystems.h
            RtMidiPorts.cpp RtMidiPorts.h)
# To ask whether a JACK server runs, to hear it stop, and to keep JACK quiet.
clavitone_backend(JACK PKG jack WHEN CLAVITONE_HAVE_RTMIDI)
# The Windows MIDI mapper, the default output on Windows.
clavitone_backend(WINMM WHEN WIN32
    SOURCES WinmmOutput.cpp WinmmOutput.h LIBS winmm)
