#pragma once

#include "midi/backends/rtmidi/RtMidiOutput.h"

#include <memory>
#include <vector>

// The names the program goes by in the MIDI systems: client "Clavitone",
// sending port "out".
inline constexpr char OwnClientName[] = "Clavitone";
inline constexpr char OwnPortName[] = "out";

// The MIDI systems this build can reach, in the order their ports are listed.
std::vector<MidiSystem> builtInMidiSystems();

// Whether the system can be used now: ALSA needs the sequencer device, JACK a
// server that already runs (the program never starts one).
bool midiSystemRuns(MidiSystem system);

// A new RtMidi output client of the program on that system, reporting its
// errors through results instead of the console; empty when the system does
// not run.
std::unique_ptr<RtMidiOut> makeRtMidiOut(MidiSystem system);
