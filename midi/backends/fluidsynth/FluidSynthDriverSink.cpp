#include "midi/backends/fluidsynth/FluidSynthDriverSink.h"

#include "midi/backends/fluidsynth/SynthWorker.h"
#include "midi/backends/fluidsynth/TimedMessages.h"

#include <algorithm>

FluidSynthDriverSink::FluidSynthDriverSink(fluid_settings_t* settings, AudioSource& source,
                                           int rate, int bufferFrames, SynthWorker& worker)
    : settings_(settings), source_(source), rate_(rate), bufferFrames_(bufferFrames),
      worker_(worker), rest_(rate) {
    figures_.rate = rate;
    figures_.bufferFrames = bufferFrames;
    figures_.delayMs = 1000.0 * bufferFrames / std::max(rate, 1) + MarginMs;
    figures_.priority = "driver's own";
}

std::vector<std::string> FluidSynthDriverSink::driverOrder(bool pulseAudioRunning,
                                                           bool jackRunning) {
    std::vector<std::string> order;
    if (pulseAudioRunning)
        order.emplace_back("pulseaudio");
    order.emplace_back("alsa");
    if (jackRunning)
        order.emplace_back("jack");
    // Starts only where the process has set up SDL's audio itself; costs
    // nothing to try otherwise.
    order.emplace_back("sdl2");
    return order;
}

std::unique_ptr<FluidSynthDriverSink>
FluidSynthDriverSink::start(fluid_settings_t* settings, AudioSource& source, int rate,
                            const std::vector<std::string>& drivers, SynthWorker& worker) {
    int periodFrames = 0;
    int periods = 0;
    fluid_settings_getint(settings, "audio.period-size", &periodFrames);
    fluid_settings_getint(settings, "audio.periods", &periods);
    std::unique_ptr<FluidSynthDriverSink> sink(
        new FluidSynthDriverSink(settings, source, rate, periodFrames * periods, worker));
    sink->interleaved_.resize(static_cast<std::size_t>(2 * std::max(periodFrames, 1024)));
    std::lock_guard lock(sink->guard_);
    for (const auto& driver : drivers) {
        // Named before its thread starts: the jobs that open it again read it.
        sink->name_ = driver;
        if (sink->openDriver(driver))
            return sink;
    }
    return nullptr;
}

FluidSynthDriverSink::~FluidSynthDriverSink() {
    {
        std::lock_guard lock(guard_);
        closing_ = true;
        // Ends the driver's thread: it queues no job after this.
        driver_.reset();
    }
    // The jobs it queued use this sink.
    worker_.waitFor(lastJob_.load());
}

bool FluidSynthDriverSink::openDriver(const std::string& driver) {
    rest_.restart();
    fluid_settings_setstr(settings_, "audio.driver", driver.c_str());
    driver_.reset(new_fluid_audio_driver2(settings_, &FluidSynthDriverSink::render, this));
    return driver_ != nullptr;
}

void FluidSynthDriverSink::wake() {
    if (!asleep_.load() || wakeQueued_.exchange(true))
        return;
    lastJob_.store(worker_.run([this] {
        std::lock_guard lock(guard_);
        wakeQueued_.store(false);
        if (closing_ || !asleep_.load())
            return;
        // A driver that does not open again stays asleep; the next message
        // tries once more.
        if (openDriver(name_)) {
            asleep_.store(false);
            figures_.asleep = false;
        }
    }));
}

void FluidSynthDriverSink::sleepSoon() {
    if (sleepQueued_.exchange(true))
        return;
    lastJob_.store(worker_.run([this] { sleepNow(); }));
}

void FluidSynthDriverSink::sleepNow() {
    std::lock_guard lock(guard_);
    sleepQueued_.store(false);
    // A message came since the driver's thread asked: it plays on.
    if (closing_ || asleep_.load() || source_.hasWork())
        return;
    driver_.reset();
    asleep_.store(true);
    figures_.asleep = true;
    ++figures_.sleeps;
    // A message that came while the driver closed: its sender saw the sink
    // awake and did not wake it.
    if (source_.hasWork() && openDriver(name_)) {
        asleep_.store(false);
        figures_.asleep = false;
    }
}

AudioSinkFigures FluidSynthDriverSink::figures() const {
    std::lock_guard lock(guard_);
    return figures_;
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
    const int bufferFrames = self->bufferFrames_;
    timing.firstFrameHeardNs =
        steadyNanoseconds() + static_cast<std::int64_t>(bufferFrames) * 1'000'000'000 / self->rate_;
    timing.delayNs =
        (static_cast<std::int64_t>(bufferFrames) * 1000 / self->rate_ + MarginMs) * 1'000'000;
    const auto needed = static_cast<std::size_t>(2 * frames);
    if (self->interleaved_.size() < needed)
        // Only if the driver asks for more than a period at once.
        self->interleaved_.resize(needed);
    float* stereo = self->interleaved_.data();
    const bool sounding = self->source_.renderAudio(stereo, frames, timing);
    for (int i = 0; i < frames; ++i) {
        outputs[0][i] = stereo[2 * i];
        outputs[1][i] = stereo[2 * i + 1];
    }
    if (self->rest_.played(frames, sounding))
        self->sleepSoon();
    return FLUID_OK;
}
