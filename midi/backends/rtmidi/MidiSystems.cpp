#include "midi/backends/rtmidi/MidiSystems.h"

#include <QFileInfo>

#include <RtMidi.h>

#ifdef CLAVITONE_HAVE_JACK
#include <jack/jack.h>
#endif
#ifdef CLAVITONE_HAVE_SOUND_SERVERS
#include "midi/backends/soundservers/SoundServers.h"
#endif

namespace {

RtMidi::Api apiOf(MidiSystem system) {
    switch (system) {
    case MidiSystem::Alsa:
        return RtMidi::LINUX_ALSA;
    case MidiSystem::Jack:
        return RtMidi::UNIX_JACK;
    case MidiSystem::WindowsMultimedia:
        return RtMidi::WINDOWS_MM;
    case MidiSystem::CoreMidi:
        return RtMidi::MACOSX_CORE;
    }
    return RtMidi::UNSPECIFIED;
}

#ifdef CLAVITONE_HAVE_JACK
void quiet(const char*) {}
#endif

} // namespace

std::vector<MidiSystem> builtInMidiSystems() {
    std::vector<RtMidi::Api> apis;
    RtMidi::getCompiledApi(apis);
    std::vector<MidiSystem> systems;
    for (MidiSystem system :
         {MidiSystem::Alsa, MidiSystem::Jack, MidiSystem::WindowsMultimedia, MidiSystem::CoreMidi})
        for (RtMidi::Api api : apis)
            if (api == apiOf(system))
                systems.push_back(system);
    return systems;
}

bool midiSystemRuns(MidiSystem system) {
    switch (system) {
    case MidiSystem::Alsa:
        return QFileInfo::exists(QStringLiteral("/dev/snd/seq"));
    case MidiSystem::Jack:
#if defined(CLAVITONE_HAVE_JACK) && defined(CLAVITONE_HAVE_SOUND_SERVERS)
        return jackServerRunsNow();
#else
        return false;
#endif
    case MidiSystem::WindowsMultimedia:
    case MidiSystem::CoreMidi:
        return true;
    }
    return false;
}

std::unique_ptr<RtMidiOut> makeRtMidiOut(MidiSystem system) {
    if (!midiSystemRuns(system))
        return nullptr;
#ifdef CLAVITONE_HAVE_JACK
    if (system == MidiSystem::Jack) {
        // JACK's client library would print to the console.
        jack_set_error_function(quiet);
        jack_set_info_function(quiet);
    }
#endif
    try {
        auto out = std::make_unique<RtMidiOut>(apiOf(system), OwnClientName);
        out->setErrorCallback([](RtMidiError::Type, const std::string&, void*) {});
        return out;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}
