#include "midi/backends/fluidsynth/FluidSynthOutput.h"

#include "midi/backends/fluidsynth/FluidHandles.h"
#include "midi/backends/fluidsynth/FluidSynthDriverSink.h"
#include "midi/backends/fluidsynth/FluidSynthRenderer.h"
#include "midi/backends/fluidsynth/LibraryMessages.h"
#ifdef CLAVITONE_HAVE_SOUND_SERVERS
#include "midi/backends/soundservers/SoundServers.h"
#endif
#include "midi/backends/SoundfontSearch.h"
#include "midi/backends/fluidsynth/SynthWorker.h"
#ifdef CLAVITONE_HAVE_ALSA
#include "midi/backends/alsa/AlsaDefault.h"
#endif
#ifdef CLAVITONE_HAVE_LIBPULSE
#include "midi/backends/pulseaudio/PulseAudioSink.h"
#include "midi/backends/pulseaudio/RenderPriority.h"
#endif

#include <atomic>
#include <functional>
#include <utility>

struct FluidSynthOutput::Engine {
    Engine() = default;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;
    // The worker's jobs use everything else: it ends first.
    ~Engine() { worker.stop(); }

    // Declared so that the sound stops first, then the worker (whose jobs use
    // the renderer and the synthesiser), then the synthesiser, then its settings.
    FluidSettings settings;
    FluidSynth synth;
    std::unique_ptr<FluidSynthRenderer> renderer;
    SynthWorker worker;
    std::unique_ptr<AudioSink> sink;
    int sampleRate = 0;
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
    fluid_settings_setnum(settings, "synth.sample-rate", FluidSynthOutput::SampleRate);
    // Samples are read when an instrument is chosen, not the whole soundfont
    // at start: the GM soundfont is about 150 MB.
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
    fluid_settings_setint(settings, "synth.midi-channels", FluidSynthRenderer::SynthChannels);
    fluid_settings_setint(settings, "audio.period-size", FluidSynthOutput::PeriodFrames);
    fluid_settings_setint(settings, "audio.periods", FluidSynthOutput::Periods);
}

std::unique_ptr<AudioSink> startDrivers(fluid_settings_t* settings, AudioSource& source, int rate,
                                        SynthWorker& worker, bool pulseRunning) {
#ifdef CLAVITONE_HAVE_SOUND_SERVERS
    const bool jackRunning = jackServerRunsNow();
#else
    const bool jackRunning = false;
#endif
    return FluidSynthDriverSink::start(settings, source, rate,
                                       FluidSynthDriverSink::driverOrder(pulseRunning, jackRunning),
                                       worker);
}

#ifdef CLAVITONE_HAVE_LIBPULSE
// Our own PulseAudio stream once the server takes the connection; FluidSynth's
// drivers when it refuses, or silence. The server's answer is waited for on
// the worker, so that neither the window nor the soundfont waits for a server
// that never answers: one that does not is taken for none.
class ServerOrDrivers : public AudioSink {
public:
    explicit ServerOrDrivers(std::unique_ptr<PulseAudioSink> server)
        : server_(std::move(server)), active_(server_.get()) {}

    // On the worker: keeps the server's stream, or changes to the drivers.
    void choose(fluid_settings_t* settings, AudioSource& source, int rate, SynthWorker& worker) {
        const PulseAudioSink::Answer answer = server_->firstAnswer();
        if (answer == PulseAudioSink::Answer::Ready)
            return;
        server_->giveUp();
        const bool silent = answer == PulseAudioSink::Answer::Silent;
#ifdef CLAVITONE_HAVE_ALSA
        // ALSA's default device would play into the same silent server and
        // wait for its answer as long: the system's default card instead,
        // which is ALSA's default when no server runs.
        if (silent && alsaDefaultIsPulseAudio())
            fluid_settings_setstr(settings, "audio.alsa.device", "sysdefault");
#endif
        // And FluidSynth's own PulseAudio driver, which would too, is left
        // out: a silent server is taken for none.
        drivers_ = startDrivers(settings, source, rate, worker, !silent);
        active_.store(drivers_.get());
        if (drivers_ && source.hasWork())
            drivers_->wake();
    }

    void wake() override {
        if (AudioSink* sink = active_.load())
            sink->wake();
    }
    AudioSinkFigures figures() const override {
        const AudioSink* sink = active_.load();
        return sink ? sink->figures() : AudioSinkFigures{};
    }
    std::string name() const override {
        const AudioSink* sink = active_.load();
        return sink ? sink->name() : std::string();
    }

private:
    // Both stay until the end: another thread may be inside the one it took.
    std::unique_ptr<PulseAudioSink> server_;
    std::unique_ptr<AudioSink> drivers_;
    std::atomic<AudioSink*> active_;
};
#endif

// Our own PulseAudio stream where a server runs, else FluidSynth's drivers in
// an order that never starts a sound server. Nothing here waits for a server:
// `choice`, when set, is to run on the worker to settle on the way out.
std::unique_ptr<AudioSink> startSink(fluid_settings_t* settings, AudioSource& source, int rate,
                                     SynthWorker& worker, std::function<void()>& choice) {
#ifdef CLAVITONE_HAVE_SOUND_SERVERS
    const bool pulseRunning = pulseAudioServerRunning(processEnvironment, processUserId());
#else
    const bool pulseRunning = false;
#endif
#ifdef CLAVITONE_HAVE_LIBPULSE
    if (pulseRunning)
        if (auto server = PulseAudioSink::connect(source, rate, "Clavitone")) {
            auto sink = std::make_unique<ServerOrDrivers>(std::move(server));
            choice = [sink = sink.get(), settings, &source, rate, &worker] {
                sink->choose(settings, source, rate, worker);
            };
            return sink;
        }
#endif
    return startDrivers(settings, source, rate, worker, pulseRunning);
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

    routeSoundLibraryMessages();
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
    engine->renderer = std::make_unique<FluidSynthRenderer>(engine->synth.get(), engine->sampleRate,
                                                            engine->worker);

    std::function<void()> choice;
    if (options_.playThroughDevice) {
        engine->sink = startSink(engine->settings.get(), *engine->renderer, engine->sampleRate,
                                 engine->worker, choice);
        if (!engine->sink)
            return 0;
    }

#ifdef CLAVITONE_HAVE_LIBPULSE
    // An instrument chosen just before a note is due must be in by the
    // note's time: the worker's first job raises its own priority, where the
    // system grants it, so that a busy machine does not stretch a load of a
    // few tens of milliseconds of work over the note's time.
    engine->worker.run([] { (void)raiseLoadingPriority(); });
#endif
    // FluidSynth does not load its default soundfont by itself. Only the
    // presets in use are read now; the rest when they are chosen.
    Engine& loading = *engine;
    engine->worker.run([&loading, soundfont] {
        bool usable = false;
        {
            std::lock_guard lock(loading.renderer->synthGuard());
            usable = fluid_synth_sfload(loading.synth.get(), soundfont.c_str(),
                                        /*reset_presets=*/1) != FLUID_FAILED;
        }
        loading.renderer->setLoaded(usable);
        // Messages sent meanwhile wait to be played.
        if (loading.sink)
            loading.sink->wake();
    });
    // After the soundfont, which a server that does not answer holds up no
    // more than the window.
    if (choice)
        engine->worker.run(std::move(choice));
    engine_ = std::move(engine);
    return handle();
}

void FluidSynthOutput::sendShortMessage(MidiHandle handle, std::uint32_t message) {
    if (!engine_ || handle != this->handle())
        return;
    engine_->renderer->send(message);
    if (engine_->sink)
        engine_->sink->wake();
}

void FluidSynthOutput::prepare() {
    if (engine_ && engine_->sink)
        engine_->sink->wake();
}

bool FluidSynthOutput::isReady() const {
    return engine_ && engine_->renderer->usable();
}

bool FluidSynthOutput::isLoading() const {
    return engine_ && !engine_->renderer->loaded();
}

void FluidSynthOutput::close(MidiHandle handle) {
    if (engine_ && handle == this->handle())
        engine_.reset();
}

std::vector<float> FluidSynthOutput::render(int frames) {
    if (!engine_ || engine_->sink || frames <= 0)
        return {};
    std::vector<float> sound(static_cast<std::size_t>(frames) * 2);
    RenderTiming timing;
    timing.rate = engine_->sampleRate;
    timing.immediate = true;
    engine_->renderer->renderAudio(sound.data(), frames, timing);
    return sound;
}

int FluidSynthOutput::sampleRate() const {
    return engine_ ? engine_->sampleRate : 0;
}

std::string FluidSynthOutput::audioDriver() const {
    return engine_ && engine_->sink ? engine_->sink->name() : "";
}

AudioSinkFigures FluidSynthOutput::audioFigures() const {
    return engine_ && engine_->sink ? engine_->sink->figures() : AudioSinkFigures{};
}

int FluidSynthOutput::lateMessages() const {
    return engine_ ? engine_->renderer->lateMessages() : 0;
}
