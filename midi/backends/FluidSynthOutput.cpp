#include "midi/backends/FluidSynthOutput.h"

#include "midi/backends/FluidHandles.h"
#include "midi/backends/PeakLimiter.h"
#include "midi/backends/SoundServers.h"
#include "midi/backends/SoundfontSearch.h"
#include "midi/backends/SynthCommand.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

namespace {

// Messages kept while the soundfont loads; a player mashing keys for the
// fraction of a second that takes comes nowhere near it.
constexpr std::size_t MaxPendingMessages = 4096;

void play(fluid_synth_t* synth, std::uint32_t message) {
    const auto command = synthCommandFor(message);
    if (!command)
        return;
    switch (command->kind) {
    case SynthCommand::Kind::NoteOn:
        fluid_synth_noteon(synth, command->channel, command->data1, command->data2);
        break;
    case SynthCommand::Kind::ControlChange:
        fluid_synth_cc(synth, command->channel, command->data1, command->data2);
        break;
    case SynthCommand::Kind::ProgramChange:
        fluid_synth_program_change(synth, command->channel, command->data1);
        break;
    }
}

// Makes the sound: the synthesiser's voices and effects, then the limiter.
// Runs on the audio driver's thread, or on the caller's for render().
class Renderer {
public:
    fluid_synth_t* synth = nullptr;
    PeakLimiter limiter{44100};

    int render(int frames, float* left, float* right) {
        std::fill_n(left, frames, 0.0f);
        std::fill_n(right, frames, 0.0f);
        // Reverb and chorus go into the same two buffers as the dry voices.
        float* stereo[] = {left, right};
        if (fluid_synth_process(synth, frames, 2, stereo, 2, stereo) != FLUID_OK)
            return FLUID_FAILED;
        limiter.process(stereo, 2, frames);
        return FLUID_OK;
    }

    // The audio driver's callback.
    static int renderForDriver(void* data, int frames, int effectCount, float* effects[],
                               int outputCount, float* outputs[]) {
        for (int i = 0; i < effectCount; ++i)
            std::fill_n(effects[i], frames, 0.0f);
        for (int i = 2; i < outputCount; ++i)
            std::fill_n(outputs[i], frames, 0.0f);
        if (outputCount < 2)
            return FLUID_FAILED;
        return static_cast<Renderer*>(data)->render(frames, outputs[0], outputs[1]);
    }
};

} // namespace

struct FluidSynthOutput::Engine {
    Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    // The loader must be done before anything it uses goes.
    ~Engine() {
        if (loader.joinable())
            loader.join();
    }

    // Declared so that the driver stops before the synthesiser goes, and the
    // synthesiser before its settings.
    FluidSettings settings;
    FluidSynth synth;
    Renderer renderer;
    FluidAudioDriver driver;
    std::string driverName;
    int sampleRate = 0;

    std::mutex mutex; // guards the three below
    bool loaded = false;
    bool usable = false;
    std::vector<std::uint32_t> pending;
    std::thread loader;
};

namespace {

std::string stringSetting(fluid_settings_t* settings, const char* name) {
    char* value = nullptr;
    if (fluid_settings_dupstr(settings, name, &value) != FLUID_OK || value == nullptr)
        return {};
    std::string copy(value);
    fluid_free(value);
    return copy;
}

void configure(fluid_settings_t* settings) {
    fluid_settings_setnum(settings, "synth.gain", FluidSynthOutput::Gain);
    // Samples are read when an instrument is chosen, not the whole soundfont
    // at start: the GM soundfont is about 150 MB.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "audio.period-size", FluidSynthOutput::PeriodFrames);
    fluid_settings_setint(settings, "audio.periods", FluidSynthOutput::Periods);
}

// Tries the drivers in order and keeps the first that starts.
FluidAudioDriver startAudioDriver(fluid_settings_t* settings, Renderer& renderer,
                                  std::string& name) {
    const bool jackRunning = jackServerRunsNow();
    const auto order =
        audioDriverOrder(pulseAudioServerRunning(processEnvironment, processUserId()), jackRunning);
    for (const auto& driver : order) {
        fluid_settings_setstr(settings, "audio.driver", driver.c_str());
        FluidAudioDriver started(
            new_fluid_audio_driver2(settings, &Renderer::renderForDriver, &renderer));
        if (started) {
            name = driver;
            return started;
        }
    }
    return {};
}

} // namespace

FluidSynthOutput::FluidSynthOutput() : FluidSynthOutput(Options{}) {}

FluidSynthOutput::FluidSynthOutput(Options options) : options_(std::move(options)) {}

FluidSynthOutput::~FluidSynthOutput() = default;

MidiHandle FluidSynthOutput::handle() const {
    return reinterpret_cast<MidiHandle>(engine_.get());
}

MidiHandle FluidSynthOutput::open() {
    if (engine_)
        return handle();

    auto engine = std::make_unique<Engine>();
    engine->settings.reset(new_fluid_settings());
    if (!engine->settings)
        return 0;
    configure(engine->settings.get());

    auto candidates = options_.soundfonts;
    if (candidates.empty())
        candidates = generalMidiSoundfontCandidates(
            stringSetting(engine->settings.get(), "synth.default-soundfont"));
    const std::string soundfont = firstReadableFile(candidates);
    if (soundfont.empty())
        return 0;

    engine->synth.reset(new_fluid_synth(engine->settings.get()));
    if (!engine->synth)
        return 0;
    double rate = 0.0;
    fluid_settings_getnum(engine->settings.get(), "synth.sample-rate", &rate);
    engine->sampleRate = static_cast<int>(rate);
    engine->renderer.synth = engine->synth.get();
    engine->renderer.limiter = PeakLimiter(engine->sampleRate);

    if (options_.playThroughDevice) {
        engine->driver =
            startAudioDriver(engine->settings.get(), engine->renderer, engine->driverName);
        if (!engine->driver)
            return 0;
    }
    engine_ = std::move(engine);
    load(soundfont);
    return handle();
}

void FluidSynthOutput::load(std::string soundfont) {
    Engine& engine = *engine_;
    const auto loadAndCatchUp = [&engine, soundfont = std::move(soundfont)] {
        // FluidSynth does not load its default soundfont by itself. Only the
        // presets in use are read now; the rest when they are chosen.
        const bool usable = fluid_synth_sfload(engine.synth.get(), soundfont.c_str(),
                                               /*reset_presets=*/1) != FLUID_FAILED;
        std::lock_guard lock(engine.mutex);
        if (usable)
            for (std::uint32_t message : engine.pending)
                play(engine.synth.get(), message);
        engine.pending.clear();
        engine.pending.shrink_to_fit();
        engine.usable = usable;
        engine.loaded = true;
    };
    try {
        engine.loader = std::thread(loadAndCatchUp);
    } catch (const std::system_error&) {
        // No thread to spare: load here, which only makes opening slower.
        loadAndCatchUp();
    }
}

void FluidSynthOutput::sendShortMessage(MidiHandle handle, std::uint32_t message) {
    if (!engine_ || handle != this->handle())
        return;
    std::lock_guard lock(engine_->mutex);
    if (!engine_->loaded) {
        if (engine_->pending.size() < MaxPendingMessages)
            engine_->pending.push_back(message);
        return;
    }
    if (engine_->usable)
        play(engine_->synth.get(), message);
}

bool FluidSynthOutput::isReady() const {
    if (!engine_)
        return false;
    std::lock_guard lock(engine_->mutex);
    return engine_->usable;
}

bool FluidSynthOutput::isLoading() const {
    if (!engine_)
        return false;
    std::lock_guard lock(engine_->mutex);
    return !engine_->loaded;
}

void FluidSynthOutput::close(MidiHandle handle) {
    if (engine_ && handle == this->handle())
        engine_.reset();
}

std::vector<float> FluidSynthOutput::render(int frames) {
    if (!engine_ || engine_->driver || frames <= 0)
        return {};
    std::vector<float> left(static_cast<std::size_t>(frames));
    std::vector<float> right(left.size());
    if (engine_->renderer.render(frames, left.data(), right.data()) != FLUID_OK)
        return {};
    std::vector<float> sound(left.size() * 2);
    for (std::size_t i = 0; i < left.size(); ++i) {
        sound[2 * i] = left[i];
        sound[2 * i + 1] = right[i];
    }
    return sound;
}

int FluidSynthOutput::sampleRate() const {
    return engine_ ? engine_->sampleRate : 0;
}

std::string FluidSynthOutput::audioDriver() const {
    return engine_ ? engine_->driverName : "";
}
