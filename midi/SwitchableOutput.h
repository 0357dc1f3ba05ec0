#pragma once

#include "midi/MidiOutDevice.h"

#include <memory>

// The output the rest of the program talks to. It forwards to the built-in
// synthesiser or to one chosen system port, and can be switched while the
// program runs. A handle is the current back end's own: whoever switches
// closes the old handle first and opens again afterwards, so that the MIDI
// state never holds a handle of another back end.
class SwitchableOutput : public MidiOutDevice {
public:
    explicit SwitchableOutput(MidiOutDevice& builtIn) : builtIn_(builtIn) {}

    MidiHandle open() override { return current().open(); }
    void sendShortMessage(MidiHandle handle, std::uint32_t message) override {
        current().sendShortMessage(handle, message);
    }
    void close(MidiHandle handle) override { current().close(handle); }
    void prepare() override { current().prepare(); }

    // Sends from now on to `port`, or to the built-in synthesiser when it is
    // empty. The port that was in use is released.
    void select(std::unique_ptr<MidiOutDevice> port) { port_ = std::move(port); }
    // Whether the chosen port went away.
    bool portLost() const { return port_ && port_->lost(); }

private:
    MidiOutDevice& current() { return port_ ? *port_ : builtIn_; }

    MidiOutDevice& builtIn_;
    std::unique_ptr<MidiOutDevice> port_;
};
