#pragma once

#include "midi/MidiState.h"
#include "shell/MidiOutDevice.h"

#include <functional>

class ErrorReporter;

// The program's one connection to the MIDI output device. Every sound the
// program makes goes through SendMidiOut, built from the state's registers.
class MidiPort {
public:
    MidiPort(MidiState& state, MidiOutDevice& device, ErrorReporter& reporter)
        : state_(state), device_(device), reporter_(reporter) {}

    void MidiOutOpenPort();
    void SendMidiOut();
    // Used by the window's unload; the result is not examined.
    void closePort();

    // Runs before every send, with the registers already packed: it may move
    // the output elsewhere (and open it there), never the registers.
    void setBeforeSend(std::function<void()> check) { beforeSend_ = std::move(check); }

    MidiState& state() { return state_; }

private:
    MidiState& state_;
    MidiOutDevice& device_;
    ErrorReporter& reporter_;
    std::function<void()> beforeSend_;
};
