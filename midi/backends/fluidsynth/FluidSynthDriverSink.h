#pragma once

#include "midi/backends/fluidsynth/AudioSink.h"
#include "midi/backends/fluidsynth/FluidHandles.h"
#include "midi/backends/fluidsynth/RestTimer.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class SynthWorker;

// Plays a source through one of FluidSynth's own audio drivers: the way out
// where no PulseAudio server runs. The delay from a message to its sound is
// the driver's buffer plus a margin.
//
// Asleep at rest: a few seconds after the source last sounded the driver is
// closed, which ends its thread and frees the device; wake() opens it again.
// Both happen on the worker, never on the driver's thread (which cannot end
// itself) nor on the sender's (opening a device may take a while).
class FluidSynthDriverSink : public AudioSink {
public:
    static constexpr int MarginMs = 10;

    // Tries the drivers in order and keeps the first that starts; null when
    // none does. The settings give the driver's period size and count; they
    // and the worker outlive the sink.
    // FluidSynth's drivers worth trying, in order of preference.
    static std::vector<std::string> driverOrder(bool pulseAudioRunning, bool jackRunning);

    static std::unique_ptr<FluidSynthDriverSink> start(fluid_settings_t* settings,
                                                       AudioSource& source, int rate,
                                                       const std::vector<std::string>& drivers,
                                                       SynthWorker& worker);
    ~FluidSynthDriverSink() override;
    FluidSynthDriverSink(const FluidSynthDriverSink&) = delete;
    FluidSynthDriverSink& operator=(const FluidSynthDriverSink&) = delete;

    void wake() override;
    AudioSinkFigures figures() const override;
    std::string name() const override { return name_; }

private:
    FluidSynthDriverSink(fluid_settings_t* settings, AudioSource& source, int rate,
                         int bufferFrames, SynthWorker& worker);
    bool openDriver(const std::string& driver);
    void sleepSoon();
    void sleepNow();
    static int render(void* data, int frames, int effectCount, float* effects[], int outputCount,
                      float* outputs[]);

    fluid_settings_t* settings_;
    AudioSource& source_;
    int rate_;
    const int bufferFrames_;
    SynthWorker& worker_;
    std::string name_;
    std::vector<float> interleaved_; // the driver's thread
    RestTimer rest_;                 // the driver's thread, or while it is closed

    std::atomic<bool> asleep_{false};
    std::atomic<bool> sleepQueued_{false};
    std::atomic<bool> wakeQueued_{false};
    std::atomic<std::uint64_t> lastJob_{0};

    // Held to open, close or read the figures; never on the driver's thread.
    mutable std::mutex guard_;
    bool closing_ = false;
    AudioSinkFigures figures_;
    // Last: the driver stops before the rest goes.
    FluidAudioDriver driver_;
};
