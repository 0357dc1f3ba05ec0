// The real program heard from outside: idle CPU, and the steadiness of typed
// notes under load.
//
// Method: Clavitone runs on a private X display with a private sound server
// (PulseAudio, then PipeWire with its PulseAudio server and WirePlumber) whose
// only sink is a null sink, recorded as in bench_audio_latency.
//  - Idle: once the synthesiser has gone to sleep (no stream left in the
//    server), the program's own CPU time (user + system, all threads) over
//    10 s, as a share of one core; and whether a stream came back meanwhile.
//  - Under load: two busy loops (processes at normal priority) on the cores;
//    30 letter keys 0.75 s apart, each pressed through the X server's test
//    extension from this process, its moment taken when the server has
//    handled it. Each note is found in the recording by its pitch at its
//    onset; beyond the half second is onset - key - 0.5 s: its median, and
//    its spread p90 - p10. A drop-out is a run of 1 ms or more of exact zeros
//    where the 50 ms before it sounded.
//  - An instrument change 70 ms before a note is due: a key, then 430 ms
//    later a page up on the instrument bar; the note's onset after its key is
//    compared with the median of the 30 notes.
//
//   bench_heard_program [pulseaudio|pipewire]        default both

#include "support/PrivateDesk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <unistd.h>

namespace {

constexpr int BaseNote = 48; // octave 4: A is note 48
constexpr int Notes = 30;
constexpr double Gap = 0.75;

// Presses keys on a display through its test extension.
class KeyPresser {
public:
    explicit KeyPresser(const QString& display)
        : display_(XOpenDisplay(display.toLocal8Bit().constData())) {}
    ~KeyPresser() {
        if (display_)
            XCloseDisplay(display_);
    }
    KeyPresser(const KeyPresser&) = delete;
    KeyPresser& operator=(const KeyPresser&) = delete;

    bool usable() const {
        int event = 0, error = 0, major = 0, minor = 0;
        return display_ && XTestQueryExtension(display_, &event, &error, &major, &minor);
    }
    // Presses or releases a key by its X name ("a", "Prior"); returns once
    // the server has handled it.
    void press(const char* key) { send(key, True); }
    void release(const char* key) { send(key, False); }

private:
    void send(const char* key, Bool down) {
        const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(key));
        XTestFakeKeyEvent(display_, code, down, CurrentTime);
        XSync(display_, False);
    }

    Display* display_;
};

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    if (values.empty())
        return 0.0;
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5)];
}

// CPU seconds used by a process so far, all its threads.
double cpuSeconds(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = file.readAll();
    // Fields after the command's closing parenthesis; utime and stime are the
    // 12th and 13th of them.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return static_cast<double>(fields[11].toLongLong() + fields[12].toLongLong()) /
           static_cast<double>(::sysconf(_SC_CLK_TCK));
}

int measure(desk::Server server) {
    const char* name = desk::serverName(server);
    if (const QString tool = desk::PrivateDesk::missingTool(server); !tool.isEmpty()) {
        std::printf("Heard program on %s: skipped, %s is not installed\n", name, qPrintable(tool));
        return 0;
    }
    desk::PrivateDesk desk(server);
    if (const QString why = desk.start(); !why.isEmpty()) {
        std::printf("Heard program on %s: skipped, %s\n", name, qPrintable(why));
        return 0;
    }
    QElapsedTimer clock;
    clock.start();
    const auto now = [&] { return static_cast<double>(clock.nsecsElapsed()) / 1e9; };
    if (!desk.startRecording(clock)) {
        std::printf("Heard program: the recorder did not start\n");
        return 1;
    }
    desk::Recorder& recorder = *desk.recorder;
    const tone::Recording& r = recorder.recording;

    desk::Child program(desk.environment);
    program.process.start(QStringLiteral(CLAVITONE_PROGRAM), {});
    if (!program.process.waitForStarted(5000)) {
        std::printf("Heard program: Clavitone did not start\n");
        return 1;
    }
    const auto xdotool = [&](const QStringList& arguments, int timeoutMs = 5000) {
        return QString::fromLatin1(
                   desk::run(desk.environment, QStringLiteral("xdotool"), arguments, timeoutMs)
                       .output)
            .section(QLatin1Char('\n'), 0, 0)
            .trimmed();
    };
    QString window;
    desk::waitFor(
        [&] {
            window = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                              QStringLiteral("--name"), QStringLiteral("^Clavitone$")});
            return !window.isEmpty();
        },
        30000);
    const bool focused =
        !window.isEmpty() && desk::waitFor(
                                 [&] {
                                     xdotool({QStringLiteral("windowfocus"), window});
                                     return xdotool({QStringLiteral("getwindowfocus")}) == window;
                                 },
                                 10000);
    if (!focused) {
        std::printf("Heard program: the window did not show or take the keyboard\n");
        return 1;
    }
    const auto keys = [&](const QStringList& names, double gap) {
        QStringList arguments;
        for (const QString& key : names) {
            if (!arguments.isEmpty())
                arguments << QStringLiteral("sleep") << QString::number(gap);
            arguments << QStringLiteral("key") << QStringLiteral("--clearmodifiers") << key;
        }
        const double start = now();
        desk::run(desk.environment, QStringLiteral("xdotool"), arguments,
                  static_cast<int>(gap * 1000 * static_cast<double>(names.size())) + 10000);
        return start;
    };
    // Octave 4 on the octave bar, then a first note: the soundfont is in.
    keys({QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Right"),
          QStringLiteral("Right")},
         0.05);
    const double first = keys({QStringLiteral("z")}, 0);
    desk::waitFor([&] { return r.pitchOnset(BaseNote + 25, recorder.at(first + 0.2), 1e9) >= 0; },
                  30000);

    // Idle.
    const bool slept = desk::waitFor([&] { return !desk.somethingPlays(); }, 30000);
    const qint64 pid = program.process.processId();
    const double cpuFrom = cpuSeconds(pid);
    const double idleFrom = now();
    bool woke = false;
    desk::waitFor(
        [&] {
            woke = woke || desk.somethingPlays();
            return now() > idleFrom + 10.0;
        },
        15000);
    const double idleCpu = (cpuSeconds(pid) - cpuFrom) / (now() - idleFrom);
    woke = woke || desk.somethingPlays();

    // Under load.
    std::vector<std::unique_ptr<desk::Child>> busy;
    for (int i = 0; i < 2; ++i) {
        busy.push_back(std::make_unique<desk::Child>(desk.environment));
        busy.back()->process.start(QStringLiteral("sh"),
                                   {QStringLiteral("-c"), QStringLiteral("while :; do :; done")});
    }
    KeyPresser presser(desk.environment.value(QStringLiteral("DISPLAY")));
    if (!presser.usable()) {
        std::printf("Heard program on %s: the display has no test extension\n", name);
        return 1;
    }
    // Presses and releases a key; the moment the server had the press.
    const auto tap = [&](const char* key) {
        presser.press(key);
        const double at = now();
        desk::waitFor([&] { return now() >= at + 0.05; }, 1000);
        presser.release(key);
        return at;
    };
    std::vector<int> notes;
    std::vector<double> pressed;
    for (int i = 0; i < Notes; ++i) {
        const int index = (i * 7) % 26;
        const char letter[] = {static_cast<char>('a' + index), '\0'};
        notes.push_back(BaseNote + index);
        const double due = now() + Gap;
        pressed.push_back(tap(letter));
        desk::waitFor([&] { return now() >= due; }, 2000);
    }
    const double typedEnd = now() + 1.0;
    desk::waitFor([&] { return recorder.end() > typedEnd; }, 10000);

    // Beyond the half second, each note looked for from 0.3 s after its key.
    std::vector<double> beyond;
    for (int i = 0; i < Notes; ++i) {
        const double key = recorder.at(pressed[static_cast<std::size_t>(i)]);
        double onset = r.pitchOnset(notes[static_cast<std::size_t>(i)], key + 0.3, key + 1.0);
        if (onset < 0) {
            std::printf("  (key %d: note %d not found)\n", i, notes[static_cast<std::size_t>(i)]);
            continue;
        }
        // Finer than the analysis' hop: the first quarter millisecond from
        // which 2 ms are louder than the 50 ms before the rise.
        const double before = r.level(onset - 0.06, onset - 0.01);
        for (double t = onset - 0.005; t < onset + 0.01; t += 0.00025)
            if (r.level(t, t + 0.002) > 1.5 * before + 0.001) {
                onset = t;
                break;
            }
        // On the clock, as samples the server dropped would move the onset.
        beyond.push_back(1000.0 *
                         (recorder.clockOf(onset) - pressed[static_cast<std::size_t>(i)] - 0.5));
    }
    int dropOuts = 0;
    std::size_t zeros = 0;
    const std::size_t from = r.index(recorder.at(pressed.front()) + 0.6);
    const std::size_t to = r.index(recorder.at(pressed.back()) + 1.0);
    for (std::size_t i = from; i < to; ++i) {
        zeros = r.samples[i] == 0 ? zeros + 1 : 0;
        if (zeros == static_cast<std::size_t>(r.rate / 1000) &&
            r.level(static_cast<double>(i) / r.rate - 0.051,
                    static_cast<double>(i) / r.rate - 0.001) > 0.0005)
            ++dropOuts;
    }

    // An instrument change 70 ms before a note is due: Tab to the instrument
    // bar, a key, and 430 ms later a page up there.
    keys({QStringLiteral("Tab")}, 0);
    const double changeKey = tap("m");
    desk::waitFor([&] { return now() >= changeKey + 0.43; }, 2000);
    tap("Prior");
    const double changeEnd = now() + 1.2;
    desk::waitFor([&] { return recorder.end() > changeEnd; }, 10000);
    const double changed =
        r.pitchOnset(BaseNote + 12, recorder.at(changeKey + 0.3), recorder.at(changeKey + 2.0));
    busy.clear();

    std::printf("Clavitone heard from outside on %s (private X display, null sink):\n", name);
    std::printf("  idle, window open, synthesiser asleep: %.2f %% of a core over 10 s (target "
                "under 0.5 %%); stream in the server while idle: %s%s\n",
                100.0 * idleCpu, woke ? "yes" : "none", slept ? "" : " (it never went to sleep)");
    std::printf("  %d keys 0.75 s apart under two busy loops: %zu heard; key to sound beyond the "
                "half second: median %.1f ms (target 30 or less), spread p90 - p10 %.1f ms "
                "(target 8 or less), min %.1f, max %.1f; drop-outs %d\n",
                Notes, beyond.size(), percentile(beyond, 0.5),
                percentile(beyond, 0.9) - percentile(beyond, 0.1),
                beyond.empty() ? 0.0 : *std::min_element(beyond.begin(), beyond.end()),
                beyond.empty() ? 0.0 : *std::max_element(beyond.begin(), beyond.end()), dropOuts);
    if (changed < 0)
        std::printf("  instrument change 70 ms before a note: the note was not heard\n");
    else
        std::printf("  instrument change 70 ms before a note: key to sound beyond the half second "
                    "%.1f ms\n",
                    1000.0 * (recorder.clockOf(changed) - changeKey - 0.5));
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QString only = argc > 1 ? QString::fromLocal8Bit(argv[1]).toLower() : QString();
    int failed = 0;
    for (const desk::Server server : {desk::Server::PulseAudio, desk::Server::PipeWire})
        if (only.isEmpty() || only == QString::fromLatin1(desk::serverName(server)).toLower())
            failed |= measure(server);
    return failed;
}
