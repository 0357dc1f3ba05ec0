#include "midi/MidiPort.h"

#include "midi/ShortMessage.h"
#include "shell/CheckedInt.h"
#include "shell/ErrorTrap.h"

namespace {

// The one encoding of the channel messages, register by register, on the
// state's current channel.
std::int16_t statusOf(const MidiState& state, ChannelMessage message) {
    const bool pan = message == ChannelMessage::Pan;
    return checkedInt16((pan ? 176LL : 192LL) + state.currentChannel);
}

std::int16_t data1Of(const MidiState& state, ChannelMessage message) {
    return message == ChannelMessage::Pan ? std::int16_t{10}
                                          : state.channelPatch[state.currentChannel];
}

std::int32_t data2Of(const MidiState& state, ChannelMessage message) {
    return message == ChannelMessage::Pan ? state.channelPan[state.currentChannel]
                                          : std::int16_t{0};
}

} // namespace

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
    trap.step(104, [&] { message = joinPacked(a, b); });
    trap.step(106, [&] {
        if (beforeSend_)
            beforeSend_();
        device_.sendShortMessage(state_.hMidiOut, static_cast<std::uint32_t>(message));
    });
}

void MidiPort::sendInSteps(ErrorTrap& trap, int line, ChannelMessage message) {
    trap.step(line, [&] { state_.midiStatus = statusOf(state_, message); });
    trap.step(line + 2, [&] { state_.midiData1 = data1Of(state_, message); });
    trap.step(line + 4, [&] { state_.midiData2 = data2Of(state_, message); });
    trap.step(line + 6, [&] { SendMidiOut(); });
}

void MidiPort::sendDirect(ChannelMessage message) {
    const std::int32_t packed =
        joinPacked(packStatusAndData1(statusOf(state_, message), data1Of(state_, message)),
                   packData2(data2Of(state_, message)));
    device_.sendShortMessage(state_.hMidiOut, static_cast<std::uint32_t>(packed));
}

void MidiPort::closePort() {
    device_.close(state_.hMidiOut);
}
