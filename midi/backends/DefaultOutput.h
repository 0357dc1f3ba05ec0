#pragma once

#include "midi/MidiOutDevice.h"

#include <memory>

// The default MIDI output of this platform: the built-in synthesiser where the
// program was built with one.
std::unique_ptr<MidiOutDevice> createDefaultMidiOut();
