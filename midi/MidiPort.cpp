#include "midi/MidiPort.h"

#include "midi/ShortMessage.h"
#include "shell/CheckedInt.h"
#include "shell/ErrorTrap.h"

void MidiPort::MidiOutOpenPort() {
    ErrorTrap trap(reporter_, locationTag("modPiano", "MidiOutOpenPort"));
    MidiHandle handle = 0;
    trap.step(100, [&] { handle = device_.open(); });
    trap.step(102, [&] { state_.hMidiOut = handle; });
}

void MidiPort::SendMidiOut() {
    ErrorTrap trap(reporter_, locationTag("modPiano", "SendMidiOut"));
    std::int32_t a = 0;
    std::int32_t b = 0;
    std::int32_t message = 0;
    trap.step(100, [&] { a = packStatusAndData1(state_.midiStatus, state_.midiData1); });
    trap.step(102, [&] { b = packData2(state_.midiData2); });
    trap.step(104, [&] { message = checkedInt32(static_cast<long long>(a) + b); });
    trap.step(106, [&] {
        if (beforeSend_)
            beforeSend_();
        device_.sendShortMessage(state_.hMidiOut, static_cast<std::uint32_t>(message));
    });
}

void MidiPort::sendInSteps(ErrorTrap& trap, int line, ChannelMessage message) {
    const bool pan = message == ChannelMessage::Pan;
    trap.step(line, [&] {
        state_.midiStatus = checkedInt16((pan ? 176LL : 192LL) + state_.currentChannel);
    });
    trap.step(line + 2, [&] {
        state_.midiData1 = pan ? std::int16_t{10} : state_.channelPatch[state_.currentChannel];
    });
    trap.step(line + 4, [&] {
        state_.midiData2 = pan ? state_.channelPan[state_.currentChannel] : std::int16_t{0};
    });
    trap.step(line + 6, [&] { SendMidiOut(); });
}

void MidiPort::closePort() {
    device_.close(state_.hMidiOut);
}
