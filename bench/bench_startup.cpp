// Time from process start to the window shown with the built-in synthesiser
// ready, and the peak resident memory of the program.
//
// Method: on a display and a PulseAudio server of its own (Xvfb, null sink),
// the benchmark starts itself again as a child that does what Clavitone's
// main() does (the same Program with the desktop services, the GM soundfont,
// PulseAudio) and then watches, on a 1 ms precise timer, for the window to be
// exposed on the X server and the synthesiser to report its soundfont in. The
// child writes a line at once; the parent's time is from just before it
// started the child to that line's arrival, so it holds exec, dynamic linking
// and Qt's start. Then the child plays five notes half a second apart and
// reports its high-water mark of resident memory (VmHWM).
//
//   bench_startup [runs]     default 7 runs; prints each and the median

#include "support/PrivateDesk.h"

#include "app/DesktopServices.h"
#include "app/Program.h"
#include "app/Services.h"
#include "appearance/AppIcon.h"
#include "keyboard/MainWindow.h"
#include "midi/backends/fluidsynth/FluidSynthOutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

long statusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::stol(line.substr(std::string(field).size()));
    return -1;
}

int child(int argc, char* argv[]) {
    QElapsedTimer sinceMain;
    sinceMain.start();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Clavitone"));
    QApplication::setOrganizationName(QStringLiteral("Kestrane"));
    QApplication::setWindowIcon(appIcon());
    Services services = desktopServices();
    auto* synth = dynamic_cast<FluidSynthOutput*>(services.midiOut.get());
    Program program(std::move(services));
    program.start();

    if (!synth) {
        std::printf("error: no built-in synthesiser\n");
        return 1;
    }
    qint64 shownAt = -1;
    qint64 readyAt = -1;
    int notesPlayed = 0;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const QWindow* handle = program.window().windowHandle();
        if (shownAt < 0 && handle && handle->isExposed())
            shownAt = sinceMain.nsecsElapsed();
        if (readyAt < 0 && synth->isReady())
            readyAt = sinceMain.nsecsElapsed();
        if (shownAt < 0 || readyAt < 0)
            return;
        poll.stop();
        std::printf("ready shown %.1f synth %.1f rss %ld\n", shownAt / 1e6, readyAt / 1e6,
                    statusKiB("VmRSS:"));
        std::fflush(stdout);
        QTimer* notes = new QTimer(&app);
        QObject::connect(notes, &QTimer::timeout, [&, notes] {
            if (notesPlayed < 5) {
                program.window().keyPressed(static_cast<char16_t>(u'a' + 4 * notesPlayed++));
                return;
            }
            notes->stop();
            std::printf("peak %ld rss %ld\n", statusKiB("VmHWM:"), statusKiB("VmRSS:"));
            std::fflush(stdout);
            app.quit();
        });
        notes->start(500);
    });
    poll.start();
    if (synth->isLoading() == false && synth->isReady() == false) {
        std::printf("error: the synthesiser did not open (no soundfont or no audio device)\n");
        return 1;
    }
    return app.exec();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 1 && std::string(argv[1]) == "--child")
        return child(argc, argv);

    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    if (const QString tool = desk::PrivateDesk::missingTool(); !tool.isEmpty()) {
        std::printf("Start-up: skipped, %s is not installed\n", qPrintable(tool));
        return 0;
    }
    desk::PrivateDesk desk;
    if (const QString why = desk.start(); !why.isEmpty()) {
        std::printf("Start-up: skipped, %s\n", qPrintable(why));
        return 0;
    }

    std::printf("Start-up: %d runs of the program's composition under Xvfb with a private\n"
                "PulseAudio null sink; from starting the process to the window exposed and the\n"
                "built-in synthesiser's soundfont in (whichever is later).\n",
                runs);
    std::vector<double> total;
    std::vector<double> shown;
    std::vector<double> ready;
    std::vector<double> peaks;
    for (int run = 0; run < runs; ++run) {
        desk::Child program(desk.environment);
        QElapsedTimer clock;
        clock.start();
        program.process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child")});
        QByteArray out;
        double readyLineAt = -1;
        const bool done = desk::waitFor(
            [&] {
                out += program.process.readAllStandardOutput();
                if (readyLineAt < 0 && out.contains("ready "))
                    readyLineAt = clock.nsecsElapsed() / 1e6;
                return out.contains("peak ") || out.contains("error") ||
                       program.process.state() == QProcess::NotRunning;
            },
            30000);
        double shownMs = 0;
        double synthMs = 0;
        long rss = 0;
        long peak = 0;
        long rssAfter = 0;
        const int from = out.indexOf("ready ");
        const int peakFrom = out.indexOf("peak ");
        if (!done || readyLineAt < 0 || from < 0 || peakFrom < 0 ||
            std::sscanf(out.constData() + from, "ready shown %lf synth %lf rss %ld", &shownMs,
                        &synthMs, &rss) != 3 ||
            std::sscanf(out.constData() + peakFrom, "peak %ld rss %ld", &peak, &rssAfter) != 2) {
            std::printf("  run %d failed: %s\n", run + 1, out.constData());
            return 1;
        }
        std::printf("  run %d: ready %.1f ms after start (in main: window %.1f ms, synth %.1f "
                    "ms); RSS at ready %.1f MB, peak after five notes %.1f MB\n",
                    run + 1, readyLineAt, shownMs, synthMs, rss / 1024.0, peak / 1024.0);
        total.push_back(readyLineAt);
        shown.push_back(shownMs);
        ready.push_back(synthMs);
        peaks.push_back(peak / 1024.0);
    }
    std::printf("  median: window shown and synthesiser ready %.1f ms after process start "
                "(window %.1f ms, synth %.1f ms after main); peak memory %.1f MB (VmHWM)\n",
                median(total), median(shown), median(ready), median(peaks));
    return 0;
}
