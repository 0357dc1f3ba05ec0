#pragma once

#include "midi/MidiOutDevice.h"

// The default output of a build with neither a synthesiser nor a system
// default: it behaves like a machine without a MIDI device. It never opens,
// and what is sent to it goes nowhere.
class NullOutput : public MidiOutDevice {
public:
    MidiHandle open() override { return 0; }
    void sendShortMessage(MidiHandle, std::uint32_t) override {}
    void close(MidiHandle) override {}
};
