// Listens to the real program. Clavitone runs on a virtual X display with a
// private PulseAudio server whose only sink is a null sink; keys are typed
// through the X test extension, the sink's monitor is recorded, and the
// recording must hold each note at its pitch half a second after its key, quick
// presses sounding together after the last one, and another timbre after a
// change of instrument.

#include "support/PrivateDesk.h"
#include "support/ToneAnalysis.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <optional>

#include <sys/prctl.h>

namespace {

using desk::Rate;
using desk::run;
// Clavitone at octave 4 (two presses of Right on the octave bar): A is note 48.
constexpr int BaseNote = 48;
// How much later still a note may sound: the key's way through a loaded
// machine (the X server, the window's thread) and a drop-out of the sound
// server before it.
constexpr double LateBy = 0.15;

// When a key went down: between the start and the end of the xdotool run.
struct KeyTime {
    double earliest = 0;
    double latest = 0;
};

} // namespace

class HeardNotesTest : public QObject {
    Q_OBJECT

    QElapsedTimer clock_;
    double now() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

    std::optional<desk::PrivateDesk> desk_;
    QProcessEnvironment environment_;
    desk::Recorder* recorder_ = nullptr;
    std::unique_ptr<desk::Child> program_;
    QString window_;

    // Types `keys` (xdotool key names), `gap` seconds apart.
    KeyTime type(const QStringList& keys, double gap = 0) {
        QStringList arguments;
        for (const QString& key : keys) {
            if (gap > 0 && !arguments.isEmpty())
                arguments << QStringLiteral("sleep") << QString::number(gap);
            arguments << QStringLiteral("key") << QStringLiteral("--clearmodifiers") << key;
        }
        KeyTime time;
        time.earliest = now();
        const desk::Run typed = run(environment_, QStringLiteral("xdotool"), arguments);
        time.latest = now();
        if (!typed.ok)
            qWarning("xdotool key %s failed", qPrintable(keys.join(QLatin1Char(' '))));
        return time;
    }

    // The settings file the program writes, as text.
    QString settings() const {
        QFile file(desk_->root() + QStringLiteral("/config/Kestrane.conf"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                              : QStringLiteral("(no settings file)");
    }
    // Waits until the settings file holds `line`: the bar was moved.
    bool storedSoon(const QString& line) {
        return QTest::qWaitFor([&] { return settings().split(QLatin1Char('\n')).contains(line); },
                               5000);
    }

    // Waits until the recording reaches `clockSeconds`.
    bool recordedUntil(double clockSeconds) {
        return QTest::qWaitFor([&] { return recorder_->end() >= clockSeconds; },
                               static_cast<int>((clockSeconds - now()) * 1000) + 5000);
    }

    // The onset of `note` in the recording after a key, found by its pitch,
    // checked to come no sooner than half a second after the key,
    // and not more than `LateBy` later. -1 on failure. The note is looked for
    // from `searchFrom` (clock seconds) on, or from 0.3 s after the key.
    double checkedOnset(int note, KeyTime key, double searchFrom = 0) {
        const tone::Recording& r = recorder_->recording;
        // The synthesiser adds what its latency needs: no note sounds before
        // its half second.
        const double due = 0.5;
        const double from = recorder_->at(searchFrom > 0 ? searchFrom : key.earliest + 0.3);
        const double onset =
            r.pitchOnset(note, from, recorder_->at(key.latest + due + LateBy + 0.2));
        if (onset < 0) {
            qWarning("note %d did not start after the key: strength %.5f before, at most %.5f "
                     "after",
                     note, r.noteStrength(note, from - 0.1, from), [&] {
                         double most = 0;
                         for (double t = from; t < r.seconds(); t += 0.01)
                             most = std::max(most, r.noteStrength(note, t, t + 0.02));
                         return most;
                     }());
            return -1;
        }
        // On the clock: samples the server dropped between the key and the
        // note would make the note seem early in the recording.
        const double heard = recorder_->clockOf(onset);
        const double afterKey = heard - key.latest;
        const double afterKeyAtMost = heard - key.earliest;
        qInfo("note %d after the key: %.0f to %.0f ms", note, afterKey * 1000,
              afterKeyAtMost * 1000);
        // The analysis window and the arrival of the recording blur the onset.
        if (afterKeyAtMost < due - 0.012) {
            qWarning("the note sounded early: %.0f ms after the key", afterKeyAtMost * 1000);
            return -1;
        }
        if (afterKey > due + LateBy) {
            qWarning("the note sounded late: %.0f ms after the key", afterKey * 1000);
            return -1;
        }
        return onset;
    }

    // Whether `note` stands out against its neighbours a semitone either side.
    bool hasPitch(int note, double from, double to) {
        const tone::Recording& r = recorder_->recording;
        const double own = r.noteStrength(note, from, to);
        const double lower = r.noteStrength(note - 1, from, to);
        const double upper = r.noteStrength(note + 1, from, to);
        qInfo("note %d: %.5f against %.5f and %.5f", note, own, lower, upper);
        return own > 2.0 * std::max(lower, upper);
    }

private slots:
    // The analysis itself, on made-up sound: a harmonic tone starting at a
    // known moment over a fading one must be found at its pitch and moment.
    void analysisFindsAMadeUpNote_data() {
        QTest::addColumn<int>("note");
        QTest::addColumn<int>("fadingNote");
        QTest::addColumn<bool>("dropOut");
        QTest::addColumn<double>("fadingLevel");
        QTest::newRow("C3 over G2") << 48 << 43 << false << 0.05;
        QTest::newRow("C4 over C3, its octave below") << 60 << 48 << false << 0.05;
        QTest::newRow("E4 over F4, a semitone up") << 64 << 65 << false << 0.05;
        QTest::newRow("C5 over C5") << 72 << 72 << false << 0.05;
        // The level rises by a factor of 1.6 only.
        QTest::newRow("C4 over G3, nearly as loud") << 60 << 55 << false << 0.4;
        QTest::newRow("C3 over G2 after a drop-out") << 48 << 43 << true << 0.05;
        QTest::newRow("E4 over F4 after a drop-out") << 64 << 65 << true << 0.05;
        QTest::newRow("C4 over C3 after a drop-out") << 60 << 48 << true << 0.05;
    }
    void analysisFindsAMadeUpNote() {
        QFETCH(int, note);
        QFETCH(int, fadingNote);
        QFETCH(bool, dropOut);
        QFETCH(double, fadingLevel);
        tone::Recording r{std::vector<std::int16_t>(Rate * 2), Rate};
        const double start = 0.8;
        for (std::size_t i = 0; i < r.samples.size(); ++i) {
            const double t = static_cast<double>(i) / Rate;
            // A drop-out: 160 ms of silence in the fading note, before the new one.
            if (dropOut && t >= 0.5 && t < 0.66)
                continue;
            double x = fadingLevel * std::exp(-t) *
                       std::sin(2 * std::numbers::pi * tone::noteFrequency(fadingNote) * t);
            if (t >= start)
                for (int h = 1; h <= 4; ++h)
                    x += 0.2 / h * std::exp(-(t - start)) *
                         std::sin(2 * std::numbers::pi * h * tone::noteFrequency(note) *
                                  (t - start));
            r.samples[i] = static_cast<std::int16_t>(x * 32767);
        }
        // Looked for from within the drop-out, if there is one.
        const double onset = r.pitchOnset(note, 0.6, 1.5);
        QVERIFY2(onset >= start - 0.0125 && onset <= start + 0.0025,
                 qPrintable(QString::number(onset)));
        // The level alone takes the sound after the gap for a new one.
        if (dropOut)
            QVERIFY(r.onset(0.6, 1.5) < start - 0.1);
        else
            QVERIFY(std::abs(r.onset(0.6, 1.5, 1.5) - onset) < 0.0125);
        const double own = r.noteStrength(note, onset + 0.04, onset + 0.34);
        QVERIFY(own > 2 * r.noteStrength(note - 1, onset + 0.04, onset + 0.34));
        QVERIFY(own > 2 * r.noteStrength(note + 1, onset + 0.04, onset + 0.34));
        // Before the onset only the fading note is there.
        QCOMPARE(r.pitchOnset(note, 0.3, start - 0.01), -1.0);
        if (!dropOut)
            QCOMPARE(r.onset(0.3, start - 0.01, 1.5), -1.0);
    }

    void analysisTellsTimbresApart() {
        tone::Recording pure{std::vector<std::int16_t>(Rate), Rate};
        tone::Recording rich{std::vector<std::int16_t>(Rate), Rate};
        const double f = tone::noteFrequency(60);
        for (std::size_t i = 0; i < pure.samples.size(); ++i) {
            const double t = static_cast<double>(i) / Rate;
            double p = 0.3 * std::sin(2 * std::numbers::pi * f * t) +
                       0.03 * std::sin(4 * std::numbers::pi * f * t);
            double q = 0.0;
            for (int h = 1; h <= 6; ++h)
                q += 0.1 * std::sin(2 * std::numbers::pi * h * f * t);
            pure.samples[i] = static_cast<std::int16_t>(p * 32767);
            rich.samples[i] = static_cast<std::int16_t>(q * 32767);
        }
        const auto a = pure.harmonicProfile(60, 0.1, 0.9);
        const auto b = rich.harmonicProfile(60, 0.1, 0.9);
        QVERIFY(tone::profileDistance(a, a) < 0.01);
        QVERIFY(tone::profileDistance(a, b) > 10.0);
    }

    // On both sound servers a desktop may run.
    void theProgramIsHeard_data() {
        QTest::addColumn<desk::Server>("server");
        QTest::newRow("PulseAudio") << desk::Server::PulseAudio;
        QTest::newRow("PipeWire") << desk::Server::PipeWire;
    }

    void theProgramIsHeard() {
#ifndef CLAVITONE_HAVE_FLUIDSYNTH
        QSKIP("Clavitone was built without its built-in synthesiser (FluidSynth)");
#endif
        QFETCH(desk::Server, server);
        if (const QString tool = desk::PrivateDesk::missingTool(server); !tool.isEmpty())
            QSKIP(qPrintable(
                QStringLiteral("%1 is not installed; scripts/bootstrap installs it").arg(tool)));
        clock_.start();
        desk_.emplace(server);
        if (const QString why = desk_->start(); !why.isEmpty())
            QSKIP(qPrintable(why));
        environment_ = desk_->environment;
        QVERIFY(desk_->startRecording(clock_));
        recorder_ = desk_->recorder.get();

        program_ = std::make_unique<desk::Child>(environment_);
        program_->process.setProcessChannelMode(QProcess::ForwardedChannels);
        program_->process.start(QStringLiteral(CLAVITONE_PROGRAM), {});
        QVERIFY(program_->process.waitForStarted(5000));

        const auto xdotool = [&](const QStringList& arguments) {
            return QString::fromLatin1(
                       run(environment_, QStringLiteral("xdotool"), arguments).output)
                .section(QLatin1Char('\n'), 0, 0)
                .trimmed();
        };
        QVERIFY2(
            QTest::qWaitFor(
                [&] {
                    window_ = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                       QStringLiteral("--name"), QStringLiteral("^Clavitone$")});
                    return !window_.isEmpty() || program_->process.state() == QProcess::NotRunning;
                },
                30000),
            "the window was not shown");
        QVERIFY2(!window_.isEmpty(), "Clavitone ended before showing its window");
        // No window manager: give the window the keyboard ourselves.
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         xdotool({QStringLiteral("windowfocus"), window_});
                         return xdotool({QStringLiteral("getwindowfocus")}) == window_;
                     },
                     10000),
                 "the window did not take the keyboard");
        // The channel bar has the focus; Tab twice reaches the octave bar,
        // and two steps to the right make octave 4.
        type({QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Right"),
              QStringLiteral("Right")});
        QVERIFY2(storedSoon(QStringLiteral("Octave=4")), qPrintable(settings()));

        // A first note shows the soundfont is in: nothing is measured on it.
        const KeyTime first = type({QStringLiteral("z")});
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         return recorder_->recording.pitchOnset(
                                    BaseNote + 25, recorder_->at(first.earliest + 0.2), 1e9) >= 0;
                     },
                     30000),
                 "no note was heard");
        QVERIFY2(desk_->somethingPlays(), "the synthesiser plays into the sound server");
        QVERIFY(recordedUntil(recorder_->end() + 1.0));

        // Single notes, each at its pitch half a second after its key.
        std::vector<double> pianoProfile;
        const struct {
            const char* key;
            int note;
        } singles[] = {{"a", BaseNote},
                       {"h", BaseNote + 7},
                       {"m", BaseNote + 12},
                       {"q", BaseNote + 16},
                       {"y", BaseNote + 24}};
        for (const auto& single : singles) {
            const KeyTime key = type({QString::fromLatin1(single.key)});
            QVERIFY(recordedUntil(key.latest + 1.2));
            const double onset = checkedOnset(single.note, key);
            QVERIFY2(onset >= 0, single.key);
            QVERIFY2(hasPitch(single.note, onset + 0.04, onset + 0.44), single.key);
            if (single.note == BaseNote + 12)
                pianoProfile =
                    recorder_->recording.harmonicProfile(single.note, onset + 0.2, onset + 0.6);
        }

        // Quick presses: nothing sounds until half a second after the last
        // key (the first key's half second passes in silence), then all three
        // notes together.
        const KeyTime firstOfThree =
            type({QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("e")}, 0.15);
        const KeyTime lastOfThree{firstOfThree.earliest + 0.3, firstOfThree.latest};
        QVERIFY(recordedUntil(lastOfThree.latest + 1.4));
        const double together =
            checkedOnset(BaseNote + 4, lastOfThree, firstOfThree.earliest + 0.3);
        QVERIFY(together >= 0);
        const tone::Recording& r = recorder_->recording;
        for (int note : {BaseNote, BaseNote + 2, BaseNote + 4}) {
            const double own = r.noteStrength(note, together + 0.04, together + 0.54);
            for (int other : {BaseNote - 1, BaseNote + 1, BaseNote + 3, BaseNote + 5})
                QVERIFY2(own > 2 * r.noteStrength(other, together + 0.04, together + 0.54),
                         qPrintable(QStringLiteral("note %1 against %2").arg(note).arg(other)));
        }

        // Another instrument: Tab to the instrument bar, two pages up to
        // program 20 (a reed organ). The same key sounds another timbre.
        type({QStringLiteral("Tab"), QStringLiteral("Prior"), QStringLiteral("Prior")});
        QVERIFY2(storedSoon(QStringLiteral("Patch=20")), qPrintable(settings()));
        const KeyTime organKey = type({QStringLiteral("m")});
        QVERIFY(recordedUntil(organKey.latest + 1.2));
        const double organ = checkedOnset(BaseNote + 12, organKey);
        QVERIFY(organ >= 0);
        QVERIFY(hasPitch(BaseNote + 12, organ + 0.04, organ + 0.44));
        // A piano's overtones fade while the organ's hold: compare a little
        // after the start.
        QVERIFY(recordedUntil(organKey.latest + 1.4));
        const auto organProfile = r.harmonicProfile(BaseNote + 12, organ + 0.2, organ + 0.6);
        const double distance = tone::profileDistance(pianoProfile, organProfile);
        qInfo("harmonic profiles differ by %.1f dB", distance);
        QVERIFY2(distance > 4.0, qPrintable(QStringLiteral("%1 dB").arg(distance)));

        QVERIFY2(program_->process.state() == QProcess::Running, "Clavitone ended by itself");
    }

    void cleanup() {
        // The program first, then the desk; each is stopped even after a
        // failure or a skip.
        program_.reset();
        recorder_ = nullptr;
        desk_.reset();
    }
};

QTEST_GUILESS_MAIN(HeardNotesTest)
#include "test_heard_notes.moc"
