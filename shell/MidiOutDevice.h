#pragma once

// The MIDI output's interface lives in the MIDI layer: midi/MidiOutDevice.h.
// This name is kept only for the built-in synthesiser's header until it
// includes that one; it builds only from midi/ and the layers above it.
#include "midi/MidiOutDevice.h"
