#include "midi/backends/RtMidiOutput.h"

#include "midi/ShortMessage.h"
#include "midi/backends/MidiSystems.h"

#include <RtMidi.h>

#include <vector>

RtMidiOutput::RtMidiOutput(MidiSystem system, std::string portName, bool virtualPort)
    : system_(system), portName_(std::move(portName)), virtualPort_(virtualPort) {}

RtMidiOutput::~RtMidiOutput() = default;

MidiHandle RtMidiOutput::open() {
    out_.reset();
    try {
        auto out = makeRtMidiOut(system_);
        if (!out)
            return 0;
        if (virtualPort_) {
            out->openVirtualPort(OwnPortName);
        } else {
            const unsigned count = out->getPortCount();
            for (unsigned i = 0; i < count && !out->isPortOpen(); ++i)
                if (out->getPortName(i) == portName_)
                    out->openPort(i, OwnPortName);
            if (!out->isPortOpen())
                return 0;
        }
        out_ = std::move(out);
        return Handle;
    } catch (const RtMidiError&) {
        return 0;
    }
}

void RtMidiOutput::sendShortMessage(MidiHandle handle, std::uint32_t message) {
    if (!out_ || handle != Handle)
        return;
    const std::optional<ShortMessage> decoded = decodeShortMessage(message);
    if (!decoded)
        return;
    try {
        out_->sendMessage(decoded->bytes.data(), decoded->length);
    } catch (const RtMidiError&) {
        // A port that went away drops the message, as any failed send does.
    }
}

void RtMidiOutput::close(MidiHandle handle) {
    if (handle == Handle)
        out_.reset();
}
