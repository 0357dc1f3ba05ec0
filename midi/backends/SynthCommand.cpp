#include "midi/backends/SynthCommand.h"

#include "midi/ShortMessage.h"

std::optional<SynthCommand> synthCommandFor(std::uint32_t message) {
    const std::optional<ShortMessage> decoded = decodeShortMessage(message);
    if (!decoded)
        return std::nullopt;

    const int channel = decoded->status() & 0x0F;
    const int data1 = decoded->data1();
    switch (decoded->status() & 0xF0) {
    case 0x90:
        return SynthCommand{SynthCommand::Kind::NoteOn, channel, data1, decoded->data2()};
    case 0xB0:
        return SynthCommand{SynthCommand::Kind::ControlChange, channel, data1, decoded->data2()};
    case 0xC0:
        // A program change has one data byte; whatever sits in the second is not ours.
        return SynthCommand{SynthCommand::Kind::ProgramChange, channel, data1, 0};
    default:
        return std::nullopt;
    }
}
