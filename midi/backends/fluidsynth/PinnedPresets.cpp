#include "midi/backends/fluidsynth/PinnedPresets.h"

#include <algorithm>

std::optional<PinnedPresets::Preset> PinnedPresets::presetOn(int channel) const {
    fluid_preset_t* preset = fluid_synth_get_channel_preset(synth_, channel);
    if (preset == nullptr)
        return std::nullopt;
    // What FluidSynth chose, the bank of a drum channel and any stand-in for
    // a missing instrument included.
    return Preset{fluid_sfont_get_id(fluid_preset_get_sfont(preset)),
                  fluid_preset_get_banknum(preset), fluid_preset_get_num(preset)};
}

void PinnedPresets::pin(const Preset& preset, int channel) {
    auto it = std::find_if(pins_.begin(), pins_.end(),
                           [&](const Pin& pin) { return pin.preset == preset; });
    if (it == pins_.end()) {
        // Its samples are in already: the loading channel selected it.
        if (fluid_synth_pin_preset(synth_, preset.sfont, preset.bank, preset.program) != FLUID_OK)
            return;
        it = pins_.insert(pins_.end(), Pin{preset, 0});
    }
    it->channels |= 1u << channel;
}

void PinnedPresets::pinStartingPresets() {
    for (int channel = 0; channel < Channels; ++channel) {
        selected_[static_cast<std::size_t>(channel)] = presetOn(channel);
        if (const auto preset = selected_[static_cast<std::size_t>(channel)])
            pin(*preset, channel);
    }
}

void PinnedPresets::pinChange(int channel, std::uint64_t change, int loadingChannel) {
    const auto preset = presetOn(loadingChannel);
    if (preset)
        pin(*preset, channel);
    waiting_[static_cast<std::size_t>(channel)].push_back(Change{change, preset});
}

void PinnedPresets::played(int channel, std::uint64_t changes) {
    auto& waiting = waiting_[static_cast<std::size_t>(channel)];
    while (!waiting.empty() && waiting.front().number <= changes) {
        selected_[static_cast<std::size_t>(channel)] = waiting.front().preset;
        waiting.pop_front();
    }
}

std::uint32_t PinnedPresets::soundingChannels() {
    // Room for every voice and the list's end.
    voices_.assign(static_cast<std::size_t>(std::max(fluid_synth_get_polyphony(synth_), 0)) + 1,
                   nullptr);
    fluid_synth_get_voicelist(synth_, voices_.data(), static_cast<int>(voices_.size()), -1);
    std::uint32_t channels = 0;
    for (const fluid_voice_t* voice : voices_) {
        if (voice == nullptr)
            break;
        const int channel = fluid_voice_get_channel(voice);
        if (channel >= 0 && channel < Channels)
            channels |= 1u << channel;
    }
    return channels;
}

void PinnedPresets::release() {
    if (pins_.empty())
        return;
    const std::uint32_t sounding = soundingChannels();
    const auto needed = [&](const Pin& pin) {
        if (pin.channels & sounding)
            return true;
        for (std::size_t channel = 0; channel < Channels; ++channel) {
            if (selected_[channel] == pin.preset)
                return true;
            for (const Change& change : waiting_[channel])
                if (change.preset == pin.preset)
                    return true;
        }
        return false;
    };
    std::erase_if(pins_, [&](const Pin& pin) {
        if (needed(pin))
            return false;
        // Its samples go now, here: no note holds them.
        fluid_synth_unpin_preset(synth_, pin.preset.sfont, pin.preset.bank, pin.preset.program);
        return true;
    });
}
