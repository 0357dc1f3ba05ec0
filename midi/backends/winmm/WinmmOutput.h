#pragma once

#include "midi/MidiOutDevice.h"

// The Windows multimedia MIDI output on the MIDI mapper, the system's default
// MIDI output device. Result codes are not examined: a device that cannot be
// opened leaves the handle 0 and later sends go nowhere. A message the decoder
// drops (decodeShortMessage) is not sent.
class WinmmOutput : public MidiOutDevice {
public:
    MidiHandle open() override;
    void sendShortMessage(MidiHandle handle, std::uint32_t message) override;
    void close(MidiHandle handle) override;
};
