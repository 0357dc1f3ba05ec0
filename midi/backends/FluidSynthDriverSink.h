#pragma once

#include "midi/backends/AudioSink.h"
#include "midi/backends/FluidHandles.h"

#include <memory>
#include <string>
#include <vector>

// Plays a source through one of FluidSynth's own audio drivers: the way out
// where no PulseAudio server runs. The driver's thread renders all the time;
// the delay from a message to its sound is the driver's buffer plus a margin.
class FluidSynthDriverSink : public AudioSink {
public:
    static constexpr int MarginMs = 10;

    // Tries the drivers in order and keeps the first that starts; null when
    // none does. The settings give the driver's period size and count.
    static std::unique_ptr<FluidSynthDriverSink> start(fluid_settings_t* settings,
                                                       AudioSource& source, int rate,
                                                       const std::vector<std::string>& drivers);

    void wake() override {}
    AudioSinkFigures figures() const override { return figures_; }
    std::string name() const override { return name_; }

private:
    FluidSynthDriverSink(AudioSource& source, int rate, int bufferFrames);
    static int render(void* data, int frames, int effectCount, float* effects[], int outputCount,
                      float* outputs[]);

    AudioSource& source_;
    int rate_;
    std::string name_;
    AudioSinkFigures figures_;
    std::vector<float> interleaved_;
    // Last: the driver stops before the rest goes.
    FluidAudioDriver driver_;
};
