// The limiter behind the built-in synthesiser, on the loudest sound the program
// makes: 40 keys held at once at full velocity and full channel volume on the
// church organ, whose notes sound until they are stopped (and the program
// never stops them).
//
// Method: the synthesiser's own renderer plays the sound offline, at the
// program's output level, five seconds of it; the limiter counts what it did:
// its deepest gain reduction, its largest change of gain from one frame to
// the next, and the share of samples (both channels) that it put out at the
// ceiling (within 0.001 dB), where a limiter without look-ahead clips. The same five seconds
// rendered without the limiter give the peak it is fed, and the limiter alone is timed on them: its
// processor time per second of sound, the best of five runs.
//
//   bench_limiter [seconds]          default 5

#include "midi/backends/PeakLimiter.h"
#include "midi/backends/SoundfontSearch.h"
#include "midi/backends/fluidsynth/FluidHandles.h"
#include "midi/backends/fluidsynth/FluidSynthOutput.h"
#include "midi/backends/fluidsynth/FluidSynthRenderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

constexpr int Keys = 40;
constexpr int LowestKey = 36;
constexpr int ChurchOrgan = 19;
constexpr int BlockFrames = 512;

std::uint32_t message(int status, int data1, int data2) {
    return static_cast<std::uint32_t>(status | data1 << 8 | data2 << 16);
}

// Channel volume, the organ, then the keys, on channel 1.
std::vector<std::uint32_t> loudestSound() {
    std::vector<std::uint32_t> messages{message(0xB0, 7, 127), message(0xC0, ChurchOrgan, 0)};
    for (int key = LowestKey; key < LowestKey + Keys; ++key)
        messages.push_back(message(0x90, key, 127));
    return messages;
}

FluidSynth makeSynth(fluid_settings_t* settings, const std::string& soundfont) {
    fluid_settings_setnum(settings, "synth.gain", FluidSynthOutput::Gain);
    fluid_settings_setint(settings, "synth.midi-channels", FluidSynthRenderer::SynthChannels);
    FluidSynth synth(new_fluid_synth(settings));
    if (synth && fluid_synth_sfload(synth.get(), soundfont.c_str(), 1) == FLUID_FAILED)
        synth.reset();
    return synth;
}

double dB(double x) {
    return x > 0.0 ? 20.0 * std::log10(x) : -999.0;
}

double processorSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string soundfont = firstReadableFile(generalMidiSoundfontCandidates(""));
    if (soundfont.empty()) {
        std::printf("Limiter: skipped, no General MIDI soundfont\n");
        return 0;
    }
    std::printf("Limiter: %d keys held at velocity 127, channel volume 127, church organ, "
                "%d s offline at gain %.2f\n",
                Keys, seconds, FluidSynthOutput::Gain);

    // Through the renderer, as the program plays it.
    FluidSettings settings(new_fluid_settings());
    FluidSynth synth = makeSynth(settings.get(), soundfont);
    if (!synth) {
        std::printf("  the soundfont did not load\n");
        return 0;
    }
    double rate = 0.0;
    fluid_settings_getnum(settings.get(), "synth.sample-rate", &rate);
    const int frames = seconds * static_cast<int>(rate);
    PeakLimiter::Figures figures;
    double renderSeconds = 0.0;
    {
        SynthWorker worker;
        FluidSynthRenderer renderer(synth.get(), static_cast<int>(rate), worker);
        renderer.setLoaded(true);
        for (std::uint32_t m : loudestSound())
            renderer.send(m);
        RenderTiming timing;
        timing.rate = static_cast<int>(rate);
        timing.immediate = true;
        std::vector<float> block(2 * BlockFrames);
        const double start = processorSeconds();
        for (int done = 0; done < frames; done += BlockFrames)
            renderer.renderAudio(block.data(), std::min(BlockFrames, frames - done), timing);
        renderSeconds = processorSeconds() - start;
        figures = renderer.limiterFigures();
        worker.stop();
    }

    // The same sound without the limiter.
    FluidSettings rawSettings(new_fluid_settings());
    FluidSynth raw = makeSynth(rawSettings.get(), soundfont);
    if (!raw) {
        std::printf("  the soundfont did not load\n");
        return 0;
    }
    fluid_synth_cc(raw.get(), 0, 7, 127);
    fluid_synth_program_change(raw.get(), 0, ChurchOrgan);
    for (int key = LowestKey; key < LowestKey + Keys; ++key)
        fluid_synth_noteon(raw.get(), 0, key, 127);
    std::vector<float> left(static_cast<std::size_t>(frames));
    std::vector<float> right(static_cast<std::size_t>(frames));
    float* planar[] = {left.data(), right.data()};
    fluid_synth_process(raw.get(), frames, 2, planar, 2, planar);
    double peak = 0.0;
    for (std::size_t i = 0; i < left.size(); ++i)
        peak = std::max({peak, static_cast<double>(std::fabs(left[i])),
                         static_cast<double>(std::fabs(right[i]))});

    double best = 1e9;
    for (int run = 0; run < 5; ++run) {
        std::vector<float> l = left;
        std::vector<float> r = right;
        PeakLimiter limiter(static_cast<int>(rate));
        const double start = processorSeconds();
        for (int done = 0; done < frames; done += BlockFrames) {
            float* block[] = {l.data() + done, r.data() + done};
            limiter.process(block, 2, std::min(BlockFrames, frames - done));
        }
        best = std::min(best, processorSeconds() - start);
    }

    const double share =
        figures.samples > 0 ? 100.0 * static_cast<double>(figures.atCeiling) / figures.samples : 0;
    std::printf("  peak fed to the limiter %.2f (%+.1f dBFS)\n", peak, dB(peak));
    std::printf("  least gain %.3f (%.1f dB); largest step of gain in one frame %.4f; samples at "
                "the ceiling %.3f %% (%lld of %lld)\n",
                static_cast<double>(figures.leastGain), dB(figures.leastGain),
                static_cast<double>(figures.largestStep), share,
                static_cast<long long>(figures.atCeiling), static_cast<long long>(figures.samples));
    std::printf("  limiter alone: %.2f ms of processor time per second of sound (%.3f %% of a "
                "core); synthesiser and limiter: %.1f ms per second\n",
                1000.0 * best / seconds, 100.0 * best / seconds, 1000.0 * renderSeconds / seconds);
    return 0;
}
