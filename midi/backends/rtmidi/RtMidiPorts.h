#pragma once

#include "midi/MidiPortCatalogue.h"

// The ports of every MIDI system that runs, through RtMidi. JACK ports carry a
// mark, since the same device may show up under ALSA too. Where ALSA runs, the
// program's own port "Clavitone:out" is offered for other programs to connect
// to.
class RtMidiPorts : public MidiPortCatalogue {
public:
    QStringList portNames() override;
    std::unique_ptr<MidiOutDevice> makePort(const QString& name) override;
};
