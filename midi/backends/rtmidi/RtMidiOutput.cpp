#include "midi/backends/rtmidi/RtMidiOutput.h"

#include "midi/ShortMessage.h"
#include "midi/backends/rtmidi/MidiSystems.h"

#include <RtMidi.h>

#ifdef CLAVITONE_HAVE_JACK
#include <jack/jack.h>
#endif

#include <vector>

// Tells when the system behind the port stops. RtMidi does not: a JACK client
// whose server died takes messages and drops them. A client of our own,
// without ports, hears the server's end.
class RtMidiOutput::SystemWatch {
public:
#ifdef CLAVITONE_HAVE_JACK
    explicit SystemWatch(std::atomic<bool>& lost)
        : client_(jack_client_open(OwnClientName, JackNoStartServer, nullptr), jack_client_close) {
        if (!client_)
            return;
        jack_on_shutdown(
            client_.get(), [](void* flag) { static_cast<std::atomic<bool>*>(flag)->store(true); },
            &lost);
        jack_activate(client_.get());
    }

private:
    std::unique_ptr<jack_client_t, int (*)(jack_client_t*)> client_;
#else
    explicit SystemWatch(std::atomic<bool>&) {}
#endif
};

RtMidiOutput::RtMidiOutput(MidiSystem system, std::string portName, bool virtualPort)
    : system_(system), portName_(std::move(portName)), virtualPort_(virtualPort) {}

RtMidiOutput::~RtMidiOutput() {
    out_.reset();
    watch_.reset();
}

MidiHandle RtMidiOutput::open() {
    out_.reset();
    watch_.reset();
    lost_ = false;
    try {
        auto out = makeRtMidiOut(system_);
        if (!out)
            return 0;
        // An error of the open port means it is gone: the ALSA client behind it
        // ended, the device was unplugged.
        out->setErrorCallback(
            [](RtMidiError::Type type, const std::string&, void* flag) {
                if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
                    static_cast<std::atomic<bool>*>(flag)->store(true);
            },
            &lost_);
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
        if (system_ == MidiSystem::Jack)
            watch_ = std::make_unique<SystemWatch>(lost_);
        lost_ = false; // what failed before the port opened was no loss
        out_ = std::move(out);
        return Handle;
    } catch (const RtMidiError&) {
        return 0;
    }
}

void RtMidiOutput::sendShortMessage(MidiHandle handle, std::uint32_t message) {
    // A lost JACK client's queue is never emptied: sending would fill it and
    // then wait for room for good.
    if (!out_ || handle != Handle || lost_)
        return;
    const std::optional<ShortMessage> decoded = decodeShortMessage(message);
    if (!decoded)
        return;
    try {
        out_->sendMessage(decoded->bytes.data(), decoded->length);
    } catch (const RtMidiError&) {
        // A port that went away drops the message, as any failed send does.
        lost_ = true;
    }
}

void RtMidiOutput::close(MidiHandle handle) {
    if (handle == Handle) {
        out_.reset();
        watch_.reset();
    }
}
