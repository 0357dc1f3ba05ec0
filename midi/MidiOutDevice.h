#pragma once

#include <cstdint>

// Handle of an open output; 0 means none is open.
using MidiHandle = std::uintptr_t;

// A MIDI output device: the only three operations the program needs. A short
// message packs the status in its lowest byte, data byte 1 in the second and
// data byte 2 in the third. Sends to handle 0, or to a device that failed, are
// silently dropped.
class MidiOutDevice {
public:
    virtual ~MidiOutDevice() = default;

    // Opens the default output. Returns 0 when no output could be opened.
    virtual MidiHandle open() = 0;
    virtual void sendShortMessage(MidiHandle handle, std::uint32_t message) = 0;
    virtual void close(MidiHandle handle) = 0;
    // Something is about to be sent (a note key was pressed, its note follows
    // half a second later): an output that rests when idle wakes now, so that
    // the message is on time.
    virtual void prepare() {}
    // Whether the device went away after it was opened (its port vanished, the
    // system behind it stopped), so that what is sent to it goes nowhere.
    virtual bool lost() const { return false; }
};
