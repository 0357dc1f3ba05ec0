#pragma once

#include "midi/MidiOutDevice.h"

#include <memory>

// The default MIDI output of this platform: the MIDI mapper on Windows, the
// built-in synthesiser where the program was built with one, and otherwise an
// output that never opens, as on a machine without a MIDI device.
std::unique_ptr<MidiOutDevice> createDefaultMidiOut();
