#pragma once

#include "midi/MidiOutDevice.h"

#include <atomic>
#include <memory>
#include <string>

class RtMidiOut;

// The MIDI systems a system port can belong to.
enum class MidiSystem { Alsa, Jack, WindowsMultimedia, CoreMidi };

// One system MIDI output port, reached through RtMidi. The program's own
// sending port is called "out" on a client called "Clavitone"; it is either
// connected to the chosen port or, for a virtual port, left for other programs
// to connect.
class RtMidiOutput : public MidiOutDevice {
public:
    // portName: the port as the MIDI system names it; ignored for a virtual port.
    RtMidiOutput(MidiSystem system, std::string portName, bool virtualPort = false);
    ~RtMidiOutput() override;

    // Returns 0 when the port is gone or the MIDI system refuses.
    MidiHandle open() override;
    void sendShortMessage(MidiHandle handle, std::uint32_t message) override;
    void close(MidiHandle handle) override;
    // True once the MIDI system reported a failure of the open port, or, for
    // JACK, once the server went away.
    bool lost() const override { return lost_; }

private:
    static constexpr MidiHandle Handle = 1;
    class SystemWatch;

    MidiSystem system_;
    std::string portName_;
    bool virtualPort_;
    std::atomic<bool> lost_ = false; // set from the MIDI system's threads
    std::unique_ptr<SystemWatch> watch_;
    std::unique_ptr<RtMidiOut> out_;
};
