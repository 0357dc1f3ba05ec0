#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include <fluidsynth.h>

// The instruments that the render thread may select, held in memory by the
// worker. With dynamic sample loading FluidSynth reads an instrument's samples
// when a channel selects it and frees them when the last channel lets it go,
// on whichever thread makes the change. A pinned instrument stays in memory
// whatever the channels do, so the render thread's program changes neither
// read nor free: an instrument is pinned before its change can be played, and
// unpinned once no channel has it, no change to it waits to be played and no
// note that it may have started still sounds (freeing it then, on the worker).
//
// What the render thread has played comes as a count of changes per channel,
// which it raises after each and the worker reads when it prepares the next
// change; an instrument let go is unpinned then, not sooner.
//
// Worker only, with the synthesiser's guard held.
class PinnedPresets {
public:
    // The channels that play; the loading channels are not counted.
    static constexpr int Channels = 16;

    explicit PinnedPresets(fluid_synth_t* synth) : synth_(synth) {}

    // The soundfont is in: pins what the channels start with.
    void pinStartingPresets();
    // The change numbered `change` on `channel` will select what
    // `loadingChannel` has just selected: pins that.
    void pinChange(int channel, std::uint64_t change, int loadingChannel);
    // The render thread has played the first `changes` changes on `channel`.
    void played(int channel, std::uint64_t changes);
    // Unpins what is needed no more.
    void release();

private:
    struct Preset {
        int sfont = 0;
        int bank = 0;
        int program = 0;
        bool operator==(const Preset&) const = default;
    };
    struct Pin {
        Preset preset;
        // The channels it was selected on since it was pinned: its notes may
        // sound there.
        std::uint32_t channels = 0;
    };
    struct Change {
        std::uint64_t number = 0;
        std::optional<Preset> preset;
    };

    std::optional<Preset> presetOn(int channel) const;
    void pin(const Preset& preset, int channel);
    std::uint32_t soundingChannels();

    fluid_synth_t* synth_;
    std::vector<Pin> pins_;
    // Per channel: changes handed over and not yet played, oldest first; what
    // the render thread has selected.
    std::array<std::deque<Change>, Channels> waiting_;
    std::array<std::optional<Preset>, Channels> selected_;
    std::vector<fluid_voice_t*> voices_;
};
