// The built-in synthesiser's audio latency: from a note-on handed to it to
// the note's sound in what the sound server plays, how steady that is, and
// whether the sound drops out or clips while it plays, with both cores kept
// busy by two busy loops (processes of their own, at normal priority).
//
// Method: a PulseAudio server of the benchmark's own whose only sink is a null
// sink; its monitor is recorded (parec, 48 kHz mono, 10 ms latency) and each
// piece's arrival time on the steady clock bounds the time of its samples (the
// earliest bound is kept, so the figures err on the late side by parec's
// least delivery delay). A quiet organ note holds on channel 2 the whole time;
// 100 piano notes follow on channel 1, 350 ms apart, each silenced (all
// sound off) after 150 ms. They are all middle C: every sample has an attack
// of its own, and one pitch keeps the onset the detector finds at the same
// place in the sound, so the spread is the timing's alone. A note's sound
// starts at the first sample, after the note-on, more than three times as
// loud as the loudest sample of the 20 ms before it. A drop-out is a run of
// 1 ms or more of silence (exact zeros) while the organ holds; a clip is a
// sample at full scale.
//
// The spread is p90 - p10 of the note-on to sound times. The output's buffer
// as granted by the server, its measured latency and the render thread's
// scheduling are read back from the synthesiser.
//
// Then, the busy loops still running, a reference: a steady tone played by
// pacat with the latency the synthesiser's stream measured, for 10 s, its
// drop-outs counted the same way: what the server itself drops.
//
// Both on PulseAudio and on PipeWire (with its PulseAudio server and
// WirePlumber), each private.
//
//   bench_audio_latency [notes] [busy loops] [pulseaudio|pipewire]
//   default 100 notes, 2 loops, both servers

#include "support/PrivateDesk.h"

#include "midi/backends/fluidsynth/FluidSynthOutput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0.0;
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

std::uint32_t message(int status, int data1, int data2) {
    return static_cast<std::uint32_t>(status | data1 << 8 | data2 << 16);
}

// Runs of 1 ms or more of exact zeros between two moments of the recording.
int dropOutsBetween(const tone::Recording& r, double from, double to) {
    int dropOuts = 0;
    std::size_t zeros = 0;
    for (std::size_t i = r.index(from); i < r.index(to); ++i) {
        zeros = r.samples[i] == 0 ? zeros + 1 : 0;
        if (zeros == static_cast<std::size_t>(r.rate / 1000))
            ++dropOuts;
    }
    return dropOuts;
}

// A steady tone played by pacat with the given latency; its drop-outs.
int referenceDropOuts(desk::PrivateDesk& desk, const QElapsedTimer& clock, int latencyMs) {
    const auto now = [&] { return static_cast<double>(clock.nsecsElapsed()) / 1e9; };
    constexpr double Seconds = 10.0;
    QFile tone(desk.root() + QStringLiteral("/tone.raw"));
    if (!tone.open(QIODevice::WriteOnly))
        return -1;
    QByteArray samples;
    for (int i = 0; i < static_cast<int>(Seconds * desk::Rate); ++i) {
        const auto sample =
            static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 440.0 * i / desk::Rate));
        samples.append(static_cast<char>(sample & 0xFF));
        samples.append(static_cast<char>((sample >> 8) & 0xFF));
    }
    tone.write(samples);
    tone.close();
    const double from = now();
    desk::Child player(desk.environment);
    player.process.start(QStringLiteral("pacat"),
                         {QStringLiteral("--playback"), QStringLiteral("--device=rec"),
                          QStringLiteral("--format=s16le"),
                          QStringLiteral("--rate=%1").arg(desk::Rate),
                          QStringLiteral("--channels=1"), QStringLiteral("--raw"),
                          QStringLiteral("--latency-msec=%1").arg(latencyMs), tone.fileName()});
    if (!player.process.waitForFinished(static_cast<int>(Seconds * 1000) + 10000))
        return -1;
    const double to = now();
    desk::waitFor([&] { return desk.recorder->end() > to + 0.3; }, 5000);
    const tone::Recording& r = desk.recorder->recording;
    // From the tone's first sound to its last.
    double first = desk.recorder->at(from);
    while (first < desk.recorder->at(to) && r.level(first, first + 0.01) < 0.01)
        first += 0.005;
    return dropOutsBetween(r, first + 0.05, first + Seconds - 0.2);
}

int measure(desk::Server server, int notes, int busyLoops) {
    const char* name = desk::serverName(server);
    if (const QString tool = desk::PrivateDesk::missingTool(server, false); !tool.isEmpty()) {
        std::printf("Audio latency on %s: skipped, %s is not installed\n", name, qPrintable(tool));
        return 0;
    }
    desk::PrivateDesk desk(server);
    if (const QString why = desk.startSound(); !why.isEmpty()) {
        std::printf("Audio latency on %s: skipped, %s\n", name, qPrintable(why));
        return 0;
    }
    // The synthesiser in this process plays into the private server.
    qputenv("PULSE_SERVER", desk.environment.value(QStringLiteral("PULSE_SERVER")).toUtf8());

    QElapsedTimer clock;
    clock.start();
    const auto now = [&] { return static_cast<double>(clock.nsecsElapsed()) / 1e9; };
    if (!desk.startRecording(clock)) {
        std::printf("Audio latency on %s: the recorder did not start\n", name);
        return 1;
    }
    FluidSynthOutput synth;
    const MidiHandle handle = synth.open();
    if (!handle || synth.audioDriver() != "pulseaudio" ||
        !desk::waitFor([&] { return synth.isReady(); }, 30000)) {
        std::printf("Audio latency on %s: the synthesiser did not open through its server\n", name);
        return 1;
    }
    desk::Recorder& recorder = *desk.recorder;
    std::vector<std::unique_ptr<desk::Child>> busy;
    for (int i = 0; i < busyLoops; ++i) {
        busy.push_back(std::make_unique<desk::Child>(desk.environment));
        busy.back()->process.start(QStringLiteral("sh"),
                                   {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    }
    synth.sendShortMessage(handle, message(0xC1, 19, 0)); // church organ on channel 2
    synth.sendShortMessage(handle, message(0xC0, 0, 0));  // piano on channel 1
    synth.sendShortMessage(handle, message(0x91, 48, 20));
    const double organFrom = now() + 0.3;
    desk::waitFor([&] { return recorder.end() > organFrom + 0.2; }, 5000);

    std::vector<double> sentAt;
    for (int i = 0; i < notes; ++i) {
        const int note = 60;
        const double due = organFrom + 0.3 + 0.35 * i;
        desk::waitFor([&] { return now() >= due; }, 2000);
        sentAt.push_back(now());
        synth.sendShortMessage(handle, message(0x90, note, 100));
        desk::waitFor([&] { return now() >= due + 0.15; }, 2000);
        // All sound off on channel 1: no piano tail hides the next start.
        synth.sendShortMessage(handle, message(0xB0, 120, 0));
    }
    const double organTo = now();
    desk::waitFor([&] { return recorder.end() > organTo + 0.3; }, 5000);
    const AudioSinkFigures figures = synth.audioFigures();
    synth.close(handle);
    const int referenceLatencyMs = static_cast<int>(std::lround(figures.latencyMs));
    const int referenceDrops = referenceDropOuts(desk, clock, referenceLatencyMs);
    busy.clear();
    const tone::Recording& r = recorder.recording;

    std::vector<double> latency;
    for (double sent : sentAt) {
        const std::size_t at = r.index(recorder.at(sent));
        const std::size_t before = r.index(recorder.at(sent) - 0.02);
        int loudest = 0;
        for (std::size_t i = before; i < at; ++i)
            loudest = std::max(loudest, std::abs(static_cast<int>(r.samples[i])));
        const std::size_t end = std::min(r.samples.size(), at + static_cast<std::size_t>(r.rate));
        if (std::getenv("BENCH_DEBUG")) {
            int most = 0;
            for (std::size_t i = at; i < std::min(end, at + static_cast<std::size_t>(r.rate / 3));
                 ++i)
                most = std::max(most, std::abs(static_cast<int>(r.samples[i])));
            std::printf("  debug: at %.3f s loudest before %d, after %d\n", recorder.at(sent),
                        loudest, most);
        }
        for (std::size_t i = at; i < end; ++i)
            if (std::abs(static_cast<int>(r.samples[i])) > 3 * loudest + 64) {
                latency.push_back(1000.0 * static_cast<double>(i - at) / r.rate);
                if (std::getenv("BENCH_DEBUG"))
                    std::printf("  debug: note %zu latency %.2f ms\n", latency.size() - 1,
                                latency.back());
                break;
            }
    }

    const int dropOuts = dropOutsBetween(r, recorder.at(organFrom), recorder.at(organTo));
    int clips = 0;
    for (std::size_t i = r.index(recorder.at(organFrom)); i < r.index(recorder.at(organTo)); ++i)
        if (r.samples[i] >= 32767 || r.samples[i] <= -32768)
            ++clips;

    const auto ms = [&](int frames) { return 1000.0 * frames / std::max(figures.rate, 1); };
    std::printf("Audio latency of the built-in synthesiser through %s (%d notes, %d busy "
                "loops):\n",
                name, notes, busyLoops);
    std::printf("  stream buffer granted: %d frames (%.1f ms), requests of %d frames (%.1f ms), "
                "prebuffer %d frames; measured latency %.1f ms; render thread %s\n",
                figures.bufferFrames, ms(figures.bufferFrames), figures.requestFrames,
                ms(figures.requestFrames), figures.prebufFrames, figures.latencyMs,
                figures.priority.c_str());
    std::printf("  hand-off to sound delay %.1f ms; under-runs %d while sounding, %d in silence; "
                "messages late %d\n",
                figures.delayMs, figures.underruns, figures.silentUnderruns, synth.lateMessages());
    if (latency.empty()) {
        std::printf("  no note was found in the recording\n");
        return 1;
    }
    std::printf("  note-on to sound: median %.1f ms, p10 %.1f, p90 %.1f, p99 %.1f, min %.1f, "
                "max %.1f ms; %zu of %d notes found\n",
                percentile(latency, 0.5), percentile(latency, 0.1), percentile(latency, 0.9),
                percentile(latency, 0.99), *std::min_element(latency.begin(), latency.end()),
                *std::max_element(latency.begin(), latency.end()), latency.size(), notes);
    std::printf("  spread p90 - p10: %.1f ms (target 3 ms or less)\n",
                percentile(latency, 0.9) - percentile(latency, 0.1));
    std::printf("  drop-outs (1 ms of silence under a held note): %d; a reference stream "
                "(pacat, %d ms) in 10 s: %d; clipped samples: %d\n",
                dropOuts, referenceLatencyMs, referenceDrops, clips);
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int notes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int busyLoops = argc > 2 ? std::max(0, std::atoi(argv[2])) : 2;
    const QString only = argc > 3 ? QString::fromLocal8Bit(argv[3]).toLower() : QString();
    int failed = 0;
    for (const desk::Server server : {desk::Server::PulseAudio, desk::Server::PipeWire})
        if (only.isEmpty() || only == QString::fromLatin1(desk::serverName(server)).toLower())
            failed |= measure(server, notes, busyLoops);
    return failed;
}
