#pragma once

#include "midi/MidiOutDevice.h"
#include "shell/Failure.h"

#include <array>
#include <cstdint>

// One value per MIDI channel, indexes 0 to 16 (only 0 to 15 are used). Any
// other index fails with "Subscript out of range".
class ChannelTable {
public:
    static constexpr int Size = 17;

    std::int16_t& operator[](long long index) { return values_[checked(index)]; }
    std::int16_t operator[](long long index) const { return values_[checked(index)]; }

private:
    static std::size_t checked(long long index) {
        if (index < 0 || index >= Size)
            throw Failure::subscriptOutOfRange();
        return static_cast<std::size_t>(index);
    }
    std::array<std::int16_t, Size> values_{};
};

// The program's whole MIDI state, one instance per run. Senders write the three
// registers and then send; the registers keep their values after a send.
struct MidiState {
    std::int16_t midiStatus = 0;
    std::int16_t midiData1 = 0;
    std::int32_t midiData2 = 0;
    MidiHandle hMidiOut = 0;
    ChannelTable channelPatch;
    ChannelTable channelVolume;
    ChannelTable channelPan;
    ChannelTable channelBaseNote;
    std::int16_t currentChannel = 0;
    std::int16_t currentVolume = 0;
};
