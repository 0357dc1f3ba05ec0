// The real program heard from outside: idle CPU, and the steadiness of typed
// notes under load.
//
// Method: Clavitone runs on a private X display with a private PulseAudio
// server whose only sink is a null sink, recorded as in bench_audio_latency.
//  - Idle: once the synthesiser has gone to sleep (no stream left in the
//    server), the program's own CPU time (user + system, all threads) over
//    10 s, as a share of one core; and whether a stream came back meanwhile.
//  - Under load: two busy loops (processes at normal priority) on the cores;
//    one xdotool run types 30 letter keys 0.9 s apart. Each note is found in
//    the recording by its pitch at its onset. The keys' moments are taken as
//    a straight line (xdotool's own timing), fitted to the onsets: the spread
//    is p90 - p10 of the onsets' distances from it, i.e. how far the rhythm
//    heard strays from the rhythm typed. A drop-out is a run of 1 ms or more
//    of exact zeros where the 50 ms before it sounded.
//  - An instrument change 70 ms before a note is due: a key, then 430 ms
//    later a page up on the instrument bar; the note's onset after its key is
//    compared with the median of the 30 notes.
//
//   bench_heard_program

#include "support/PrivateDesk.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

namespace {

constexpr int BaseNote = 48; // octave 4: A is note 48
constexpr int Notes = 30;
constexpr double Gap = 0.9;

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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (const QString tool = desk::PrivateDesk::missingTool(); !tool.isEmpty()) {
        std::printf("Heard program: skipped, %s is not installed\n", qPrintable(tool));
        return 0;
    }
    desk::PrivateDesk desk;
    if (const QString why = desk.start(); !why.isEmpty()) {
        std::printf("Heard program: skipped, %s\n", qPrintable(why));
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
    QStringList letters;
    std::vector<int> notes;
    for (int i = 0; i < Notes; ++i) {
        const int index = (i * 7) % 26;
        letters << QString(QLatin1Char(static_cast<char>('a' + index)));
        notes.push_back(BaseNote + index);
    }
    const double typed = keys(letters, Gap);
    desk::waitFor([&] { return recorder.end() > now() + 0.1; }, 5000);
    const double typedEnd = now() + 1.0;
    desk::waitFor([&] { return recorder.end() > typedEnd; }, 10000);

    // Each note is looked for after the one before: xdotool's keys take a
    // little time of their own on top of the gaps.
    std::vector<double> onsets;
    std::vector<double> positions;
    double searchFrom = recorder.at(typed + 0.3);
    for (int i = 0; i < Notes; ++i) {
        const double onset =
            r.pitchOnset(notes[static_cast<std::size_t>(i)], searchFrom, searchFrom + Gap + 0.5);
        if (onset >= 0) {
            onsets.push_back(onset);
            positions.push_back(i);
            searchFrom = onset + Gap / 2;
        } else {
            searchFrom += Gap;
        }
    }
    // The straight line through the onsets (least squares).
    double slope = Gap;
    double intercept = 0;
    if (onsets.size() >= 2) {
        double mx = 0, my = 0;
        for (std::size_t i = 0; i < onsets.size(); ++i) {
            mx += positions[i];
            my += onsets[i];
        }
        mx /= static_cast<double>(onsets.size());
        my /= static_cast<double>(onsets.size());
        double sxy = 0, sxx = 0;
        for (std::size_t i = 0; i < onsets.size(); ++i) {
            sxy += (positions[i] - mx) * (onsets[i] - my);
            sxx += (positions[i] - mx) * (positions[i] - mx);
        }
        slope = sxy / sxx;
        intercept = my - slope * mx;
    }
    std::vector<double> strays;
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        strays.push_back(1000.0 * (onsets[i] - (intercept + slope * positions[i])));
    }
    int dropOuts = 0;
    std::size_t zeros = 0;
    const std::size_t from = onsets.empty() ? 0 : r.index(onsets.front());
    const std::size_t to = onsets.empty() ? 0 : r.index(onsets.back() + 0.5);
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
    const double changeKey = keys({QStringLiteral("m"), QStringLiteral("Prior")}, 0.43);
    const double changeEnd = now() + 1.2;
    desk::waitFor([&] { return recorder.end() > changeEnd; }, 10000);
    const double changed =
        r.pitchOnset(BaseNote + 12, recorder.at(changeKey + 0.3), recorder.at(changeKey + 2.0));
    busy.clear();

    std::printf("Clavitone heard from outside (private X display and PulseAudio null sink):\n");
    std::printf("  idle, window open, synthesiser asleep: %.2f %% of a core over 10 s (target "
                "under 0.5 %%); stream in the server while idle: %s%s\n",
                100.0 * idleCpu, woke ? "yes" : "none", slept ? "" : " (it never went to sleep)");
    std::printf(
        "  %d notes typed 0.9 s apart under two busy loops: %zu heard; key to sound %.0f "
        "ms (at the first key); spread p90 - p10 %.1f ms (target 12 ms or less), largest stray "
        "%.1f ms; drop-outs %d\n",
        Notes, onsets.size(), 1000.0 * (intercept - recorder.at(typed)),
        percentile(strays, 0.9) - percentile(strays, 0.1),
        strays.empty() ? 0.0
                       : std::max(std::abs(*std::min_element(strays.begin(), strays.end())),
                                  *std::max_element(strays.begin(), strays.end())),
        dropOuts);
    if (changed < 0)
        std::printf("  instrument change 70 ms before a note: the note was not heard\n");
    else
        std::printf("  instrument change 70 ms before a note: key to sound %.0f ms, %+.1f ms "
                    "from the notes above\n",
                    1000.0 * (changed - recorder.at(changeKey)),
                    1000.0 * (changed - recorder.at(changeKey) - intercept + recorder.at(typed)));
    return 0;
}
