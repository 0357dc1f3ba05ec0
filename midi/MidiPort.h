#pragma once

#include "midi/MidiOutDevice.h"
#include "midi/MidiState.h"

#include <functional>

class ErrorReporter;
class ErrorTrap;

// The two messages the program sends from its state besides notes, both on the
// current channel: the channel's instrument, and its pan (controller 10).
enum class ChannelMessage { ProgramChange, Pan };

// The program's one connection to the MIDI output device. Every sound the
// program makes goes through SendMidiOut, built from the state's registers.
class MidiPort {
public:
    MidiPort(MidiState& state, MidiOutDevice& device, ErrorReporter& reporter)
        : state_(state), device_(device), reporter_(reporter) {}

    void MidiOutOpenPort();
    void SendMidiOut();
    // Sends one of the channel messages as four numbered steps of the caller's
    // trap: the status register at `line`, data byte 1 at line + 2, data byte 2
    // at line + 4 and SendMidiOut at line + 6. Each register is worked out in
    // its own step, so a failure is reported with that step's number and the
    // steps after it still run.
    void sendInSteps(ErrorTrap& trap, int line, ChannelMessage message);
    // Sends one of the channel messages at once, in one piece and straight to
    // the device: the registers are left as they are, since they may hold a
    // message about to go. Fails as the steps above would.
    void sendDirect(ChannelMessage message);
    // Used by the window's unload; the result is not examined.
    void closePort();
    // A note will be sent soon: the device gets ready for it.
    void prepareForNote() { device_.prepare(); }

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
