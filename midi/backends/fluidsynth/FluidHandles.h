#pragma once

#include <fluidsynth.h>

#include <memory>

// Owning pointers for the FluidSynth objects, each released with its own
// delete function.
template <auto Delete> struct FluidDelete {
    template <typename T> void operator()(T* object) const { Delete(object); }
};

using FluidSettings = std::unique_ptr<fluid_settings_t, FluidDelete<&delete_fluid_settings>>;
using FluidSynth = std::unique_ptr<fluid_synth_t, FluidDelete<&delete_fluid_synth>>;
using FluidAudioDriver =
    std::unique_ptr<fluid_audio_driver_t, FluidDelete<&delete_fluid_audio_driver>>;
