#pragma once

#include "midi/MidiPortCatalogue.h"

#include <memory>

// The system's MIDI output ports, or nothing where this build has no way to
// reach them.
std::unique_ptr<MidiPortCatalogue> createSystemMidiPorts();
