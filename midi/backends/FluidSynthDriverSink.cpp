#include "midi/backends/FluidSynthDriverSink.h"

#include "midi/backends/TimedMessages.h"

#include <algorithm>

FluidSynthDriverSink::FluidSynthDriverSink(AudioSource& source, int rate, int bufferFrames)
    : source_(source), rate_(rate) {
    figures_.rate = rate;
    figures_.bufferFrames = bufferFrames;
    figures_.delayMs = 1000.0 * bufferFrames / std::max(rate, 1) + MarginMs;
    figures_.priority = "driver's own";
}

std::unique_ptr<FluidSynthDriverSink>
FluidSynthDriverSink::start(fluid_settings_t* settings, AudioSource& source, int rate,
                            const std::vector<std::string>& drivers) {
    int periodFrames = 0;
    int periods = 0;
    fluid_settings_getint(settings, "audio.period-size", &periodFrames);
    fluid_settings_getint(settings, "audio.periods", &periods);
    std::unique_ptr<FluidSynthDriverSink> sink(
        new FluidSynthDriverSink(source, rate, periodFrames * periods));
    sink->interleaved_.resize(static_cast<std::size_t>(2 * std::max(periodFrames, 1024)));
    for (const auto& driver : drivers) {
        fluid_settings_setstr(settings, "audio.driver", driver.c_str());
        sink->driver_.reset(
            new_fluid_audio_driver2(settings, &FluidSynthDriverSink::render, sink.get()));
        if (sink->driver_) {
            sink->name_ = driver;
            return sink;
        }
    }
    return nullptr;
}

int FluidSynthDriverSink::render(void* data, int frames, int effectCount, float* effects[],
                                 int outputCount, float* outputs[]) {
    for (int i = 0; i < effectCount; ++i)
        std::fill_n(effects[i], frames, 0.0f);
    for (int i = 2; i < outputCount; ++i)
        std::fill_n(outputs[i], frames, 0.0f);
    if (outputCount < 2 || frames <= 0)
        return FLUID_FAILED;
    auto* self = static_cast<FluidSynthDriverSink*>(data);
    RenderTiming timing;
    timing.rate = self->rate_;
    // The driver queues its whole buffer ahead of the frames asked for now.
    timing.firstFrameHeardNs =
        steadyNanoseconds() +
        static_cast<std::int64_t>(self->figures_.bufferFrames) * 1'000'000'000 / self->rate_;
    timing.delayNs = static_cast<std::int64_t>(self->figures_.delayMs * 1e6);
    const auto needed = static_cast<std::size_t>(2 * frames);
    if (self->interleaved_.size() < needed)
        // Only if the driver asks for more than a period at once.
        self->interleaved_.resize(needed);
    float* stereo = self->interleaved_.data();
    self->source_.renderAudio(stereo, frames, timing);
    for (int i = 0; i < frames; ++i) {
        outputs[0][i] = stereo[2 * i];
        outputs[1][i] = stereo[2 * i + 1];
    }
    return FLUID_OK;
}
