#include "midi/backends/SynthCommand.h"

std::optional<SynthCommand> synthCommandFor(std::uint32_t message) {
    const unsigned status = message & 0xFF;
    const unsigned data1 = (message >> 8) & 0xFF;
    const unsigned data2 = (message >> 16) & 0xFF;
    if (data1 > 0x7F || data2 > 0x7F)
        return std::nullopt;

    const int channel = static_cast<int>(status & 0x0F);
    switch (status & 0xF0) {
    case 0x90:
        return SynthCommand{SynthCommand::Kind::NoteOn, channel, static_cast<int>(data1),
                            static_cast<int>(data2)};
    case 0xB0:
        return SynthCommand{SynthCommand::Kind::ControlChange, channel, static_cast<int>(data1),
                            static_cast<int>(data2)};
    case 0xC0:
        // A program change has one data byte; whatever sits in the second is not ours.
        return SynthCommand{SynthCommand::Kind::ProgramChange, channel, static_cast<int>(data1), 0};
    default:
        return std::nullopt;
    }
}
