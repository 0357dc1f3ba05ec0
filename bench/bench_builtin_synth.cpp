// Measures the built-in synthesiser: how long open() takes with and without an
// audio device, resident memory after opening and after playing, and the
// output level of every General MIDI program at the chosen gain.
//
//   bench_builtin_synth            all of it
//   bench_builtin_synth open       only open() through the audio drivers
//   bench_builtin_synth levels     only the levels
//   bench_builtin_synth play       eight notes half a second apart through the
//                                  audio device, to listen to or record

#include "midi/backends/fluidsynth/FluidSynthOutput.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::uint32_t noteOn(int channel, int note, int velocity) {
    return static_cast<std::uint32_t>(0x90 | channel) | (note << 8) | (velocity << 16);
}

std::uint32_t programChange(int channel, int program) {
    return static_cast<std::uint32_t>(0xC0 | channel) | (program << 8);
}

struct Level {
    double peak = 0.0;
    double rms = 0.0;
};

Level levelOf(const std::vector<float>& sound) {
    Level level;
    double sum = 0.0;
    for (float s : sound) {
        level.peak = std::max(level.peak, static_cast<double>(std::fabs(s)));
        sum += static_cast<double>(s) * s;
    }
    level.rms = sound.empty() ? 0.0 : std::sqrt(sum / static_cast<double>(sound.size()));
    return level;
}

// Waits for the soundfont to be in; false when it never comes.
bool waitUntilReady(const FluidSynthOutput& output) {
    const auto deadline = Clock::now() + std::chrono::seconds(30);
    while (!output.isReady()) {
        if (Clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

double dB(double x) {
    return x > 0.0 ? 20.0 * std::log10(x) : -999.0;
}

void measureOpen() {
    for (int run = 0; run < 3; ++run) {
        FluidSynthOutput output;
        const auto start = Clock::now();
        const MidiHandle handle = output.open();
        const double openMs = millisecondsSince(start);
        const bool ready = handle && waitUntilReady(output);
        std::printf("open through a device: %.1f ms, handle %s, driver '%s', ready after %.1f ms, "
                    "RSS %ld KiB\n",
                    openMs, handle ? "non-zero" : "0", output.audioDriver().c_str(),
                    ready ? millisecondsSince(start) : -1.0, residentKiB());
        if (ready) {
            const auto notesStart = Clock::now();
            for (int note = 48; note < 58; ++note)
                output.sendShortMessage(handle, noteOn(0, note, 100));
            std::printf("  ten notes sent in %.2f ms, RSS %ld KiB\n", millisecondsSince(notesStart),
                        residentKiB());
        }
        output.close(handle);
    }
}

// Plays a chord on a fresh offline synthesiser and returns its level over two
// seconds.
Level playOffline(int program, const std::vector<int>& notes, int velocity, long* rssAfter) {
    FluidSynthOutput output({{}, /*playThroughDevice=*/false});
    const MidiHandle handle = output.open();
    if (!handle || !waitUntilReady(output))
        return {};
    output.sendShortMessage(handle, programChange(0, program));
    for (int note : notes)
        output.sendShortMessage(handle, noteOn(0, note, velocity));
    const auto sound = output.render(2 * output.sampleRate());
    if (rssAfter)
        *rssAfter = residentKiB();
    return levelOf(sound);
}

void measureLevels() {
    const auto start = Clock::now();
    FluidSynthOutput offline({{}, /*playThroughDevice=*/false});
    const MidiHandle handle = offline.open();
    const double openMs = millisecondsSince(start);
    const bool ready = handle && waitUntilReady(offline);
    std::printf("open without a device: %.1f ms, ready after %.1f ms, RSS %ld KiB\n", openMs,
                millisecondsSince(start), residentKiB());
    if (!ready) {
        std::printf("no soundfont: nothing more to measure\n");
        return;
    }
    offline.close(handle);

    long rss = 0;
    const std::vector<int> chord{36, 40, 43, 48, 52, 55, 60, 64, 67, 72};
    const Level piano = playOffline(0, {60}, 100, &rss);
    std::printf("gain %.2f: piano C4 vel 100 peak %.3f (%.1f dBFS) rms %.1f dBFS, RSS %ld KiB\n",
                FluidSynthOutput::Gain, piano.peak, dB(piano.peak), dB(piano.rms), rss);
    const Level pianoChord = playOffline(0, chord, 100, &rss);
    std::printf("gain %.2f: piano 10-note chord vel 100 peak %.3f (%.1f dBFS)\n",
                FluidSynthOutput::Gain, pianoChord.peak, dB(pianoChord.peak));

    double loudest = 0.0;
    int loudestProgram = 0;
    double quietestSingle = 1e9;
    int quietestProgram = 0;
    int clipping = 0;
    for (int program = 0; program < 128; ++program) {
        const Level single = playOffline(program, {60}, 100, nullptr);
        const Level full = playOffline(program, chord, 100, nullptr);
        if (full.peak > loudest) {
            loudest = full.peak;
            loudestProgram = program;
        }
        if (single.peak < quietestSingle) {
            quietestSingle = single.peak;
            quietestProgram = program;
        }
        if (full.peak > 1.0)
            ++clipping;
        std::printf("program %3d: single peak %6.3f  chord peak %6.3f\n", program, single.peak,
                    full.peak);
    }
    std::printf("loudest chord: program %d peak %.3f (%.1f dBFS); quietest single note: program "
                "%d peak %.3f (%.1f dBFS); programs whose chord clips: %d of 128\n",
                loudestProgram, loudest, dB(loudest), quietestProgram, quietestSingle,
                dB(quietestSingle), clipping);
}

void playThroughDevice() {
    FluidSynthOutput output;
    const MidiHandle handle = output.open();
    if (!handle || !waitUntilReady(output)) {
        std::printf("no audio device or no soundfont\n");
        return;
    }
    std::printf("playing through %s\n", output.audioDriver().c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    for (int i = 0; i < 8; ++i) {
        output.sendShortMessage(handle, noteOn(0, 48 + 2 * i, 100));
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    output.close(handle);
}

} // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "all" || what == "open")
        measureOpen();
    if (what == "all" || what == "levels")
        measureLevels();
    if (what == "play")
        playThroughDevice();
    return 0;
}
