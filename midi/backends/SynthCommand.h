#pragma once

#include <cstdint>
#include <optional>

// One of the channel messages the built-in synthesiser plays, taken apart.
struct SynthCommand {
    enum class Kind { NoteOn, ControlChange, ProgramChange };

    Kind kind;
    int channel; // 0..15
    int data1;   // 0..127
    int data2;   // 0..127; 0 for a program change
};

// Decodes a packed short message (status in the lowest byte) with
// decodeShortMessage. Anything but a note on, a control change or a program
// change, and any message the decoder drops, gives nothing: the synthesiser
// ignores it.
std::optional<SynthCommand> synthCommandFor(std::uint32_t message);
