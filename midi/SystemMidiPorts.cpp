#include "midi/SystemMidiPorts.h"

#ifdef CLAVITONE_HAVE_RTMIDI
#include "midi/backends/rtmidi/RtMidiPorts.h"
#endif

std::unique_ptr<MidiPortCatalogue> createSystemMidiPorts() {
#ifdef CLAVITONE_HAVE_RTMIDI
    return std::make_unique<RtMidiPorts>();
#else
    return nullptr;
#endif
}
