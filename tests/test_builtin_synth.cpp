// The built-in synthesiser, rendered offline: pitch, timbre, level, and what
// happens without a soundfont or with messages it does not play; its
// fall-back output through FluidSynth's own drivers, asleep at rest; and its
// sound server: one that never answers holds nothing up, and one restarted
// is played into again.

#include "midi/backends/SoundfontSearch.h"
#ifdef CLAVITONE_HAVE_FLUIDSYNTH
#include "midi/backends/fluidsynth/FluidHandles.h"
#include "midi/backends/fluidsynth/FluidSynthDriverSink.h"
#include "midi/backends/fluidsynth/FluidSynthOutput.h"
#include "midi/backends/fluidsynth/FluidSynthRenderer.h"
#endif

#include <QDeadlineTimer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <numbers>
#include <thread>
#include <vector>

#if defined(CLAVITONE_HAVE_LIBPULSE) && !defined(Q_OS_WIN)
#include "support/ListeningSocket.h"
#include "support/PrivateDesk.h"
#define CLAVITONE_TEST_SOUND_SERVER 1
#endif

#ifdef CLAVITONE_HAVE_FLUIDSYNTH

namespace {

std::uint32_t noteOn(int channel, int note, int velocity) {
    return static_cast<std::uint32_t>(0x90 | channel) | (note << 8) | (velocity << 16);
}

std::uint32_t noteOff(int channel, int note) {
    return static_cast<std::uint32_t>(0x80 | channel) | (note << 8);
}

std::uint32_t programChange(int channel, int program) {
    return static_cast<std::uint32_t>(0xC0 | channel) | (program << 8);
}

// A synthesiser with the GM soundfont in and a renderer for it; `configure`
// adds settings before the synthesiser is made, `prepare` works on the
// synthesiser before the soundfont is read.
struct RendererRig {
    static constexpr int Rate = 44100;
    FluidSettings settings{new_fluid_settings()};
    FluidSynth synth;
    SynthWorker worker;
    std::unique_ptr<FluidSynthRenderer> renderer;
    bool soundfontIn = false;

    explicit RendererRig(const std::function<void(fluid_settings_t*)>& configure = {},
                         const std::function<void(fluid_synth_t*)>& prepare = {}) {
        fluid_settings_setint(settings.get(), "synth.midi-channels",
                              FluidSynthRenderer::SynthChannels);
        if (configure)
            configure(settings.get());
        synth.reset(new_fluid_synth(settings.get()));
        if (prepare)
            prepare(synth.get());
        soundfontIn =
            fluid_synth_sfload(synth.get(),
                               firstReadableFile(generalMidiSoundfontCandidates("")).c_str(),
                               1) != FLUID_FAILED;
        renderer = std::make_unique<FluidSynthRenderer>(synth.get(), Rate, worker);
        renderer->setLoaded(true);
    }
    // The worker's jobs use the renderer: it ends first.
    ~RendererRig() { worker.stop(); }
    RendererRig(const RendererRig&) = delete;
    RendererRig& operator=(const RendererRig&) = delete;

    // Waits until the worker has done every job given so far.
    void workerDone() {
        worker.waitFor(worker.run([] {}));
    }
};

// The soundfont read through files counted per thread: FluidSynth opens the
// file whenever it reads an instrument's samples.
thread_local int soundfontOpensHere = 0;
std::atomic<int> soundfontOpens{0};

void countSoundfontOpens(fluid_synth_t* synth) {
    fluid_settings_t* settings = fluid_synth_get_settings(synth);
    fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
    fluid_sfloader_set_callbacks(
        loader,
        [](const char* name) -> void* {
            ++soundfontOpensHere;
            ++soundfontOpens;
            return std::fopen(name, "rb");
        },
        [](void* buffer, fluid_long_long_t count, void* file) {
            const auto bytes = static_cast<std::size_t>(count);
            return std::fread(buffer, 1, bytes, static_cast<FILE*>(file)) == bytes ? FLUID_OK
                                                                                   : FLUID_FAILED;
        },
        [](void* file, fluid_long_long_t offset, int origin) {
            return fseeko(static_cast<FILE*>(file), static_cast<off_t>(offset), origin) == 0
                       ? FLUID_OK
                       : FLUID_FAILED;
        },
        [](void* file) { return static_cast<fluid_long_long_t>(ftello(static_cast<FILE*>(file))); },
        [](void* file) {
            return std::fclose(static_cast<FILE*>(file)) == 0 ? FLUID_OK : FLUID_FAILED;
        });
    // The synthesiser owns it now, and tries it before its own.
    fluid_synth_add_sfloader(synth, loader);
}

void loadSamplesOnDemand(fluid_settings_t* settings) {
    fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
}

double frequencyOf(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

// The left channel of interleaved stereo sound.
std::vector<float> leftOf(const std::vector<float>& stereo) {
    std::vector<float> left(stereo.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = stereo[2 * i];
    return left;
}

// Energy of the sound at one frequency (Goertzel), over a Hann window.
double energyAt(const std::vector<float>& sound, double frequency, int sampleRate) {
    const double n = static_cast<double>(sound.size());
    const double coefficient = 2.0 * std::cos(2.0 * std::numbers::pi * frequency / sampleRate);
    double previous = 0.0;
    double beforePrevious = 0.0;
    for (std::size_t i = 0; i < sound.size(); ++i) {
        const double window = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1));
        const double current = sound[i] * window + coefficient * previous - beforePrevious;
        beforePrevious = previous;
        previous = current;
    }
    return previous * previous + beforePrevious * beforePrevious -
           coefficient * previous * beforePrevious;
}

// Below -80 dBFS: the synthesiser's effects leave a faint floor, never quite 0.
constexpr double Silence = 1e-4;

double peakOf(const std::vector<float>& sound) {
    double peak = 0.0;
    for (float s : sound)
        peak = std::max(peak, static_cast<double>(std::fabs(s)));
    return peak;
}

// Energies of the first eight harmonics, scaled to sum to one: a fingerprint
// of the instrument's tone.
std::array<double, 8> harmonicProfile(const std::vector<float>& sound, double fundamental,
                                      int sampleRate) {
    std::array<double, 8> profile{};
    double total = 0.0;
    for (std::size_t h = 0; h < profile.size(); ++h) {
        profile[h] = std::sqrt(energyAt(sound, fundamental * (h + 1), sampleRate));
        total += profile[h];
    }
    for (double& p : profile)
        p = total > 0.0 ? p / total : 0.0;
    return profile;
}

double distance(const std::array<double, 8>& a, const std::array<double, 8>& b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += std::fabs(a[i] - b[i]);
    return sum;
}

#ifdef CLAVITONE_TEST_SOUND_SERVER
// Sets environment variables for a scope, then puts back what was there.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char*, QByteArray>> variables) {
        for (const auto& [name, value] : variables) {
            saved_.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            qputenv(name, value);
        }
    }
    ~ScopedEnvironment() {
        for (const auto& variable : saved_)
            if (variable.wasSet)
                qputenv(variable.name, variable.value);
            else
                qunsetenv(variable.name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    struct Saved {
        const char* name;
        QByteArray value;
        bool wasSet;
    };
    std::vector<Saved> saved_;
};

// Runs a job on a thread of its own, watched with a deadline from the test's
// thread: a job that hangs fails the test instead of hanging it, and is left
// behind.
class WatchedJob {
public:
    explicit WatchedJob(std::function<void()> job) : done_(std::make_shared<std::atomic<bool>>()) {
        thread_ = std::thread([job = std::move(job), done = done_] {
            job();
            done->store(true);
        });
    }
    ~WatchedJob() {
        if (done_->load())
            thread_.join();
        else
            thread_.detach();
    }
    WatchedJob(const WatchedJob&) = delete;
    WatchedJob& operator=(const WatchedJob&) = delete;

    bool doneWithin(int milliseconds) {
        return QTest::qWaitFor([&] { return done_->load(); }, milliseconds);
    }

private:
    std::shared_ptr<std::atomic<bool>> done_;
    std::thread thread_;
};
#endif

} // namespace

class TestBuiltinSynth : public QObject {
    Q_OBJECT

private:
    // An offline synthesiser with the GM soundfont in, or a skip.
    bool openReady(FluidSynthOutput& output, MidiHandle& handle) {
        handle = output.open();
        if (handle == 0)
            return false;
        return QTest::qWaitFor([&] { return output.isReady(); }, 30000);
    }

    // Plays notes with one program and renders the given seconds of sound.
    std::vector<float> play(int program, const std::vector<int>& notes, int velocity,
                            double seconds, int* sampleRate = nullptr) {
        FluidSynthOutput output({{}, /*playThroughDevice=*/false});
        MidiHandle handle = 0;
        if (!openReady(output, handle))
            return {};
        output.sendShortMessage(handle, programChange(0, program));
        for (int note : notes)
            output.sendShortMessage(handle, noteOn(0, note, velocity));
        if (sampleRate)
            *sampleRate = output.sampleRate();
        return output.render(static_cast<int>(seconds * output.sampleRate()));
    }

private slots:
    void initTestCase() {
        if (firstReadableFile(generalMidiSoundfontCandidates("")).empty())
            QSKIP("No General MIDI soundfont installed (package fluid-soundfont-gm)");
    }

    void noteSoundsAtItsPitch_data() {
        QTest::addColumn<int>("note");
        QTest::newRow("A4, 440 Hz") << 69;
        QTest::newRow("C4, middle C") << 60;
        QTest::newRow("A3, 220 Hz") << 57;
        QTest::newRow("E5") << 76;
        QTest::newRow("C#5, highest key of octave 4") << 73;
    }
    void noteSoundsAtItsPitch() {
        QFETCH(int, note);
        int rate = 0;
        const auto sound = leftOf(play(0, {note}, 100, 0.5, &rate));
        QVERIFY(!sound.empty());

        const double atPitch = energyAt(sound, frequencyOf(note), rate);
        const double semitoneDown = energyAt(sound, frequencyOf(note - 1), rate);
        const double semitoneUp = energyAt(sound, frequencyOf(note + 1), rate);
        QVERIFY2(atPitch > 20.0 * semitoneDown && atPitch > 20.0 * semitoneUp,
                 qPrintable(QStringLiteral("at pitch %1, a semitone down %2, up %3")
                                .arg(atPitch)
                                .arg(semitoneDown)
                                .arg(semitoneUp)));
    }

    void differentNotesDifferentPitches() {
        int rate = 0;
        const auto a4 = leftOf(play(0, {69}, 100, 0.5, &rate));
        const auto b4 = leftOf(play(0, {71}, 100, 0.5));
        QVERIFY(!a4.empty() && !b4.empty());
        // Each note is strong at its own fundamental and weak at the other's.
        QVERIFY(energyAt(a4, 440.0, rate) > 20.0 * energyAt(b4, 440.0, rate));
        QVERIFY(energyAt(b4, frequencyOf(71), rate) > 20.0 * energyAt(a4, frequencyOf(71), rate));
    }

    void programChangeChangesTimbre_data() {
        QTest::addColumn<int>("program");
        QTest::newRow("church organ") << 19;
        QTest::newRow("violin") << 40;
        QTest::newRow("trumpet") << 56;
        QTest::newRow("flute") << 73;
    }
    void programChangeChangesTimbre() {
        QFETCH(int, program);
        int rate = 0;
        const auto piano = leftOf(play(0, {69}, 100, 0.5, &rate));
        const auto pianoAgain = leftOf(play(0, {69}, 100, 0.5));
        const auto other = leftOf(play(program, {69}, 100, 0.5));
        QVERIFY(!piano.empty() && !pianoAgain.empty() && !other.empty());

        const auto pianoTone = harmonicProfile(piano, 440.0, rate);
        const double same = distance(pianoTone, harmonicProfile(pianoAgain, 440.0, rate));
        const double changed = distance(pianoTone, harmonicProfile(other, 440.0, rate));
        QVERIFY2(same < 0.01, qPrintable(QString::number(same)));
        QVERIFY2(changed > 0.2, qPrintable(QString::number(changed)));
    }

    void pianoLevelIsHealthy() {
        const double singlePeak = peakOf(play(0, {60}, 100, 2.0));
        const double chordPeak =
            peakOf(play(0, {36, 40, 43, 48, 52, 55, 60, 64, 67, 72}, 100, 2.0));
        // One note at velocity 100 well above the noise floor; a ten-note chord
        // louder but still under the limiter, so it passes untouched.
        QVERIFY2(singlePeak > 0.15, qPrintable(QString::number(singlePeak)));
        QVERIFY2(chordPeak > singlePeak && chordPeak < 0.9, qPrintable(QString::number(chordPeak)));
    }

    // The loudest chords of the GM soundfont, many times full scale before the
    // limiter.
    void chordsDoNotClip_data() {
        QTest::addColumn<int>("program");
        QTest::newRow("acoustic grand piano") << 0;
        QTest::newRow("calliope lead") << 82;
        QTest::newRow("brightness") << 100;
        QTest::newRow("crystal") << 98;
        QTest::newRow("drawbar organ") << 16;
    }
    void chordsDoNotClip() {
        QFETCH(int, program);
        const auto chord = play(program, {36, 40, 43, 48, 52, 55, 60, 64, 67, 72}, 100, 2.0);
        QVERIFY(!chord.empty());
        const double peak = peakOf(chord);
        QVERIFY2(peak < 1.0, qPrintable(QString::number(peak)));
        QVERIFY2(peak > 0.1, qPrintable(QString::number(peak))); // turned down, not cut off
    }

    void messagesBeforeTheSoundfontIsInAreKept() {
        FluidSynthOutput output({{}, /*playThroughDevice=*/false});
        const MidiHandle handle = output.open();
        QVERIFY(handle != 0);
        // Sent at once, while the soundfont is still loading.
        output.sendShortMessage(handle, programChange(3, 0));
        output.sendShortMessage(handle, noteOn(3, 69, 100));
        QTRY_VERIFY_WITH_TIMEOUT(output.isReady(), 30000);
        const auto sound = leftOf(output.render(output.sampleRate() / 2));
        const double atPitch = energyAt(sound, 440.0, output.sampleRate());
        QVERIFY(atPitch > 20.0 * energyAt(sound, frequencyOf(70), output.sampleRate()));
    }

    // One of each way a message can be foreign; test_synth_command has them all.
    void messagesItDoesNotPlayAreHarmless_data() {
        QTest::addColumn<quint32>("message");
        QTest::newRow("channel message we do not send") << quint32(0x007F7FE0);
        QTest::newRow("system reset") << quint32(0x000000FF);
        QTest::newRow("note on, note above 127") << quint32(0x00648090);
        QTest::newRow("all bits set") << quint32(0xFFFFFFFF);
    }
    void messagesItDoesNotPlayAreHarmless() {
        QFETCH(quint32, message);
        FluidSynthOutput output({{}, /*playThroughDevice=*/false});
        MidiHandle handle = 0;
        QVERIFY(openReady(output, handle));
        output.sendShortMessage(handle, message);
        QVERIFY(peakOf(output.render(output.sampleRate() / 4)) < Silence);
        // And the synthesiser still plays afterwards.
        output.sendShortMessage(handle, noteOn(0, 69, 100));
        QVERIFY(peakOf(output.render(output.sampleRate() / 4)) > 0.01);
    }

    void sendsWithAnotherHandleAreDropped() {
        FluidSynthOutput output({{}, /*playThroughDevice=*/false});
        MidiHandle handle = 0;
        QVERIFY(openReady(output, handle));
        output.sendShortMessage(0, noteOn(0, 69, 100));
        output.sendShortMessage(handle + 1, noteOn(0, 69, 100));
        QVERIFY(peakOf(output.render(output.sampleRate() / 4)) < Silence);
    }

    void withoutSoundfontOpenGivesZero_data() {
        QTest::addColumn<QString>("soundfont");
        QTest::newRow("missing file") << QStringLiteral("/nonexistent/clavitone/GM.sf2");
        QTest::newRow("folder") << QStringLiteral("/usr");
        QTest::newRow("empty path") << QString();
    }
    void withoutSoundfontOpenGivesZero() {
        QFETCH(QString, soundfont);
        FluidSynthOutput output({{soundfont.toStdString()}, /*playThroughDevice=*/false});
        const MidiHandle handle = output.open();
        QCOMPARE(handle, MidiHandle(0));
        QVERIFY(!output.isReady());
        output.sendShortMessage(handle, noteOn(0, 69, 100));
        output.sendShortMessage(handle, programChange(0, 5));
        QVERIFY(output.render(1024).empty());
        output.close(handle);
    }

    void aFileThatIsNoSoundfontStaysSilent() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("broken.sf2"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("RIFF\x10\x00\x00\x00sfbkLIST", 16));
        file.write(QByteArray(4096, '\x7f'));
        file.close();

        FluidSynthOutput output({{path.toStdString()}, /*playThroughDevice=*/false});
        const MidiHandle handle = output.open();
        QVERIFY(handle != 0); // the file is there; that it is no soundfont shows later
        for (int note = 40; note < 80; ++note)
            output.sendShortMessage(handle, noteOn(0, note, 100));
        QTRY_VERIFY_WITH_TIMEOUT(!output.isLoading(), 30000);
        QVERIFY(!output.isReady());
        output.sendShortMessage(handle, programChange(0, 0));
        output.sendShortMessage(handle, noteOn(0, 69, 100));
        QVERIFY(peakOf(output.render(output.sampleRate() / 4)) < Silence);
        output.close(handle);
    }

    // A message sounds at the frame its hand-off maps to, whatever the block
    // it falls in: hand-off time plus the delay, counted from the time the
    // first frame is heard. FluidSynth starts voices on its 64-frame grid.
    void aNoteSoundsAtItsFrame_data() {
        QTest::addColumn<int>("delayMs");
        QTest::addColumn<int>("blockFrames");
        QTest::newRow("110 ms, blocks of 441 frames") << 110 << 441;
        QTest::newRow("60 ms, blocks of 1000 frames") << 60 << 1000;
        QTest::newRow("230 ms, blocks of 64 frames") << 230 << 64;
    }
    void aNoteSoundsAtItsFrame() {
        QFETCH(int, delayMs);
        QFETCH(int, blockFrames);
        RendererRig rig;
        QVERIFY(rig.soundfontIn);
        FluidSynthRenderer& renderer = *rig.renderer;
        constexpr int Rate = RendererRig::Rate;

        RenderTiming timing;
        timing.rate = Rate;
        timing.delayNs = std::int64_t{delayMs} * 1'000'000;
        const std::int64_t before = steadyNanoseconds();
        renderer.send(noteOn(0, 69, 100));
        const std::int64_t after = steadyNanoseconds();
        timing.firstFrameHeardNs = after;
        std::vector<float> sound(static_cast<std::size_t>(Rate / 2) * 2);
        for (int done = 0; done < Rate / 2; done += blockFrames) {
            const int frames = std::min(blockFrames, Rate / 2 - done);
            renderer.renderAudio(sound.data() + 2 * done, frames, timing);
            timing.firstFrameHeardNs += std::int64_t{frames} * 1'000'000'000 / Rate;
        }
        const auto first = std::find_if(sound.begin(), sound.end(),
                                        [](float s) { return std::fabs(s) > Silence; });
        QVERIFY(first != sound.end());
        const auto frame = (first - sound.begin()) / 2;
        const auto earliest = (before - after) * Rate / 1'000'000'000 + delayMs * Rate / 1000;
        // The grid, and the first few samples of the attack below silence.
        const auto latest = delayMs * Rate / 1000 + 64 + 32;
        QVERIFY2(
            frame >= earliest && frame <= latest,
            qPrintable(
                QStringLiteral("frame %1, not in %2..%3").arg(frame).arg(earliest).arg(latest)));
        QCOMPARE(renderer.lateMessages(), 0);
    }

    // The queue from the sending thread to the render thread: in order across
    // the ring's end, a message dropped exactly when it is full, and never
    // more taken than the taker has room for.
    void theQueueKeepsOrderAndReportsFull_data() {
        QTest::addColumn<int>("pushedPerRound");
        QTest::addColumn<int>("room");
        QTest::addColumn<bool>("dropsSome");
        constexpr int Capacity = static_cast<int>(TimedMessages::Capacity);
        QTest::newRow("one at a time") << 1 << 1 << false;
        QTest::newRow("more sent than taken, until full") << 1000 << 300 << true;
        QTest::newRow("a full queue each round") << Capacity << Capacity << false;
        QTest::newRow("past full each round") << Capacity + 7 << Capacity << true;
        QTest::newRow("taken in small bites") << Capacity + 7 << 5 << true;
    }
    void theQueueKeepsOrderAndReportsFull() {
        QFETCH(int, pushedPerRound);
        QFETCH(int, room);
        QFETCH(bool, dropsSome);
        constexpr std::size_t Capacity = TimedMessages::Capacity;
        auto queue = std::make_unique<TimedMessages>();
        std::vector<TimedMessage> taken;
        taken.reserve(static_cast<std::size_t>(room));
        const std::size_t reserved = taken.capacity();
        // Three times round the ring and a bit.
        constexpr std::uint32_t Total = 3 * Capacity + 5;
        std::uint32_t sent = 0;
        std::uint32_t next = 0;
        std::size_t rejected = 0;
        while (next < Total) {
            for (int i = 0; i < pushedPerRound && sent < Total; ++i) {
                const std::size_t waiting = sent - next;
                QCOMPARE(queue->full(), waiting == Capacity);
                const bool accepted = queue->push(TimedMessage{sent, -std::int64_t{sent}, sent});
                QCOMPARE(accepted, waiting < Capacity);
                if (!accepted) {
                    ++rejected;
                    break;
                }
                ++sent;
            }
            QCOMPARE(queue->empty(), sent == next);
            taken.clear();
            queue->takeAll(taken);
            QCOMPARE(taken.size(), std::min<std::size_t>(sent - next, reserved));
            QCOMPARE(taken.capacity(), reserved);
            for (const TimedMessage& message : taken) {
                QCOMPARE(message.message, next);
                QCOMPARE(message.sentNs, -std::int64_t{next});
                QCOMPARE(message.loadTicket, std::uint64_t{next});
                ++next;
            }
        }
        QVERIFY(queue->empty());
        QCOMPARE(rejected > 0, dropsSome);
    }

    // The same queue between two threads, as it runs: nothing lost, doubled,
    // torn or out of order.
    void theQueueCrossesThreadsInOrder() {
        auto queue = std::make_unique<TimedMessages>();
        constexpr std::uint32_t Total = 300'000;
        std::atomic<bool> abandoned{false};
        std::thread sender([&] {
            for (std::uint32_t n = 0; n < Total && !abandoned.load();)
                if (queue->push(TimedMessage{n, std::int64_t{n} * 3, std::uint64_t{n} * 5}))
                    ++n;
                else
                    std::this_thread::yield();
        });
        std::vector<TimedMessage> taken;
        taken.reserve(64);
        std::uint32_t next = 0;
        std::uint32_t wrong = 0;
        QDeadlineTimer deadline(60000);
        while (next < Total && !deadline.hasExpired()) {
            taken.clear();
            queue->takeAll(taken);
            for (const TimedMessage& message : taken) {
                if (message.message != next || message.sentNs != std::int64_t{next} * 3 ||
                    message.loadTicket != std::uint64_t{next} * 5)
                    ++wrong;
                ++next;
            }
            if (taken.empty())
                std::this_thread::yield();
        }
        abandoned.store(true);
        sender.join();
        QCOMPARE(next, Total);
        QCOMPARE(wrong, 0u);
        QVERIFY(queue->empty());
    }

    // Program changes handed over in quick succession: the worker has read
    // them all (and moved its loading channel on) before the render thread
    // plays the first, and yet the render thread reads nothing itself.
    void programChangesReadNothingOnTheRenderThread_data() {
        QTest::addColumn<QList<quint32>>("messages");
        QTest::newRow("two instruments on one channel") << QList<quint32>{
            programChange(0, 19), noteOn(0, 60, 100), programChange(0, 40), noteOn(0, 64, 100)};
        QTest::newRow("two drum kits") << QList<quint32>{programChange(9, 16), noteOn(9, 38, 100),
                                                         programChange(9, 25), noteOn(9, 42, 100)};
        QTest::newRow("back to the first instrument")
            << QList<quint32>{programChange(0, 19), noteOn(0, 60, 100), programChange(0, 40),
                              programChange(0, 19), noteOn(0, 67, 100)};
        QTest::newRow("two channels, two changes each") << QList<quint32>{
            programChange(0, 19), programChange(1, 40), noteOn(0, 60, 100), noteOn(1, 64, 100),
            programChange(0, 56), programChange(1, 73), noteOn(0, 62, 100), noteOn(1, 66, 100)};
    }
    void programChangesReadNothingOnTheRenderThread() {
        QFETCH(QList<quint32>, messages);
        RendererRig rig(loadSamplesOnDemand, countSoundfontOpens);
        QVERIFY(rig.soundfontIn);
        const int readsBefore = soundfontOpens.load();
        for (quint32 message : messages)
            rig.renderer->send(message);
        rig.workerDone();
        QVERIFY2(soundfontOpens.load() > readsBefore, "the worker read no instrument");

        // The test's thread renders: it is the render thread.
        const int readsHere = soundfontOpensHere;
        RenderTiming timing;
        timing.rate = RendererRig::Rate;
        timing.immediate = true;
        std::vector<float> sound(static_cast<std::size_t>(RendererRig::Rate / 4) * 2);
        rig.renderer->renderAudio(sound.data(), RendererRig::Rate / 4, timing);
        QCOMPARE(soundfontOpensHere, readsHere);
        QVERIFY(peakOf(sound) > 0.01);
    }

    // An instrument that no channel has any more, with no change to it on its
    // way and no note of it sounding, is let go: chosen again, it is read
    // again. One with a note still sounding is kept.
    void anInstrumentNoLongerHeldIsLetGo_data() {
        QTest::addColumn<bool>("noteSounds");
        QTest::addColumn<bool>("readAgain");
        QTest::newRow("nothing of it sounds") << false << true;
        QTest::newRow("its note sounds on") << true << false;
    }
    void anInstrumentNoLongerHeldIsLetGo() {
        QFETCH(bool, noteSounds);
        QFETCH(bool, readAgain);
        RendererRig rig(loadSamplesOnDemand, countSoundfontOpens);
        QVERIFY(rig.soundfontIn);
        RenderTiming timing;
        timing.rate = RendererRig::Rate;
        timing.immediate = true;
        std::vector<float> sound(2 * 64);
        // Each message is played before the next is handed over.
        const auto play = [&](std::uint32_t message) {
            rig.renderer->send(message);
            rig.workerDone();
            rig.renderer->renderAudio(sound.data(), 64, timing);
        };
        // The church organ: a note of it sounds until it is stopped.
        play(programChange(0, 19));
        if (noteSounds)
            play(noteOn(0, 60, 100));
        play(programChange(0, 40));
        // The worker looks again: the organ is on no channel.
        play(programChange(0, 0));
        const int reads = soundfontOpens.load();
        play(programChange(0, 19));
        QCOMPARE(soundfontOpens.load() > reads, readAgain);
    }

    // Through a driver (ALSA's null device, which takes the frames as fast
    // as they come, so that seconds of sound pass in a moment): closed after
    // a few seconds of silence, opened again by the next message.
    void theDriverFallBackSleepsAtRestAndWakesForAMessage() {
        RendererRig rig([](fluid_settings_t* settings) {
            fluid_settings_setint(settings, "audio.period-size", 512);
            fluid_settings_setint(settings, "audio.periods", 2);
            fluid_settings_setstr(settings, "audio.alsa.device", "null");
        });
        QVERIFY(rig.soundfontIn);
        FluidSynthRenderer& renderer = *rig.renderer;
        auto sink = FluidSynthDriverSink::start(rig.settings.get(), renderer, RendererRig::Rate,
                                                {"alsa"}, rig.worker);
        QVERIFY(sink);
        // Silence from the start: asleep once three seconds of it are out.
        QTRY_VERIFY_WITH_TIMEOUT(sink->figures().asleep, 30000);
        // Nothing renders while asleep: the note is played only if it wakes.
        renderer.send(noteOn(0, 69, 100));
        sink->wake();
        QTRY_VERIFY_WITH_TIMEOUT(!renderer.hasWork(), 5000);
        // And once the note has faded, asleep again.
        QTRY_VERIFY_WITH_TIMEOUT(sink->figures().sleeps >= 2 && sink->figures().asleep, 30000);
    }

    // A server that takes the connection and never answers (a hung sound
    // server) is taken for none: opening and closing the synthesiser do not
    // wait for it, and FluidSynth's own PulseAudio driver, which would, is
    // not tried.
    void aSoundServerThatNeverAnswersHoldsNothingUp() {
#ifndef CLAVITONE_TEST_SOUND_SERVER
        QSKIP("Built without PulseAudio's client library");
#else
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("native"));
        ListeningSocket silent(socket.toStdString());
        QVERIFY(silent.listening());
        ScopedEnvironment server{{"PULSE_SERVER", "unix:" + QFile::encodeName(socket)},
                                 {"PULSE_COOKIE", QFile::encodeName(dir.filePath("cookie"))}};
        // Shared with the jobs, which outlive a failed test.
        auto output = std::make_shared<FluidSynthOutput>();
        auto handle = std::make_shared<MidiHandle>(0);
        {
            WatchedJob opening([output, handle] { *handle = output->open(); });
            QVERIFY2(opening.doneWithin(10000), "open() waits for the server");
        }
        QVERIFY(*handle != 0);
        QTRY_VERIFY_WITH_TIMEOUT(output->isReady(), 30000);
        // Given up: FluidSynth's own drivers, or silence where none opens.
        QTRY_VERIFY_WITH_TIMEOUT(output->audioDriver() != "pulseaudio", 10000);
        output->sendShortMessage(*handle, noteOn(0, 69, 100));
        {
            WatchedJob closing([output, handle] { output->close(*handle); });
            QVERIFY2(closing.doneWithin(10000), "close() waits for the server");
        }
#endif
    }

    // The sound server restarted (or crashed and came back) while the
    // synthesiser plays through it: the next note is heard again, without
    // anything done to the synthesiser.
    void aNoteIsHeardAfterItsServerRestarted_data() {
        QTest::addColumn<desk::Server>("server");
        QTest::newRow("PulseAudio") << desk::Server::PulseAudio;
        QTest::newRow("PipeWire") << desk::Server::PipeWire;
    }

    void aNoteIsHeardAfterItsServerRestarted() {
#ifndef CLAVITONE_TEST_SOUND_SERVER
        QSKIP("Built without PulseAudio's client library");
#else
        QFETCH(desk::Server, server);
        if (const QString tool = desk::PrivateDesk::missingTool(server, false); !tool.isEmpty())
            QSKIP(qPrintable(QStringLiteral("%1 is not installed").arg(tool)));
        desk::PrivateDesk desk(server);
        if (const QString why = desk.startSound(); !why.isEmpty())
            QSKIP(qPrintable(why));
        ScopedEnvironment serverAddress{
            {"PULSE_SERVER", desk.soundServer().toLocal8Bit()},
            {"PULSE_COOKIE", QFile::encodeName(desk.root() + QStringLiteral("/cookie"))}};
        QElapsedTimer clock;
        clock.start();
        FluidSynthOutput output;
        const MidiHandle handle = output.open();
        QVERIFY(handle != 0);
        QTRY_VERIFY_WITH_TIMEOUT(output.isReady(), 30000);
        // A new recording, then the note: found at its pitch in it.
        double sent = 0;
        const auto heard = [&](int note) {
            if (!desk.startRecording(clock))
                return false;
            sent = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            output.sendShortMessage(handle, noteOn(0, note, 100));
            return QTest::qWaitFor(
                [&] { return desk.recorder->recording.pitchOnset(note, 0, 1e9) >= 0; }, 15000);
        };
        QVERIFY2(heard(69), "no note was heard before the restart");
        QCOMPARE(output.audioDriver(), std::string("pulseaudio"));
        // Released and faded, so that nothing of it sounds on after the
        // restart; the stream still runs when the server goes.
        output.sendShortMessage(handle, noteOff(0, 69));
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         const auto& r = desk.recorder->recording;
                         return r.seconds() > 1.0 &&
                                r.level(r.seconds() - 0.1, r.seconds()) < Silence;
                     },
                     10000),
                 "the note did not fade");

        desk.stopSound();
        if (const QString why = desk.startSound(); !why.isEmpty())
            QFAIL(qPrintable(why));
        const double back = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        QVERIFY2(heard(72), "no note was heard after the restart");
        qInfo("heard %.2f s after the server was back, %.2f s after it was sent",
              desk.recorder->recording.pitchOnset(72, 0, 1e9) - desk.recorder->at(back),
              desk.recorder->recording.pitchOnset(72, 0, 1e9) - desk.recorder->at(sent));
        QCOMPARE(output.audioDriver(), std::string("pulseaudio"));
#endif
    }

    void closedOutputIgnoresSendsAndOpensAgain() {
        FluidSynthOutput output({{}, /*playThroughDevice=*/false});
        MidiHandle handle = 0;
        QVERIFY(openReady(output, handle));
        output.close(handle);
        output.sendShortMessage(handle, noteOn(0, 69, 100));
        QVERIFY(output.render(256).empty());
        output.close(handle);

        QVERIFY(openReady(output, handle));
        output.sendShortMessage(handle, noteOn(0, 69, 100));
        QVERIFY(peakOf(output.render(output.sampleRate() / 4)) > 0.01);
    }
};

#else

class TestBuiltinSynth : public QObject {
    Q_OBJECT
private slots:
    void builtWithoutSynthesiser() { QSKIP("Built without FluidSynth"); }
};

#endif

QTEST_GUILESS_MAIN(TestBuiltinSynth)
#include "test_builtin_synth.moc"
