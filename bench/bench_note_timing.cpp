// How late each note is after its half second, and what the wait costs the
// processor, measured on the program's real wait against a busy-polling wait.
//
// Method: the program runs headless with a recording MIDI output on the real
// clock. A press is made, and the moment its note reaches the output is
// compared with the press time plus half a second (steady clock). CPU time is
// the process's user and system time over the same wall-clock span.

#include "app/Program.h"
#include "keyboard/MainWindow.h"
#include "shell/Clock.h"
#include "shell/ErrorReport.h"
#include "shell/IniFileStore.h"
#include "shell/NoticeBox.h"
#include "shell/Pause.h"
#include "shell/RandomSource.h"
#include "shell/UrlOpener.h"
#include "support/RecorderOutput.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using Steady = std::chrono::steady_clock;

class SilentReporter : public ErrorReporter {
public:
    void ErrorReport(const QString&, const QString&, int) override {}
};
class SilentNotice : public NoticeBox {
public:
    void showNotice(const QString&) override {}
};
class NeverRandom : public RandomSource {
public:
    void seed(double) override {}
    double draw() override { return 0.5; }
};
class NoOpener : public UrlOpener {
public:
    void open(const QUrl&) override {}
};

double processCpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

// Runs the event loop, sleeping between events, until `done` or the deadline.
template <class Done> void runUntil(Done done, int deadlineMs) {
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(deadlineMs);
    while (!done() && deadline.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The reference: the wait as a loop that dispatches events until the time is up.
void busyPollingPause(const Clock& clock, double seconds) {
    const double start = clock.secondsSinceMidnight();
    while (elapsedSince(start, clock.secondsSinceMidnight()) < seconds)
        QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int notes = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;

    QTemporaryDir settings;
    Services services;
    services.clock = std::make_unique<SystemClock>();
    services.random = std::make_unique<NeverRandom>();
    services.urlOpener = std::make_unique<NoOpener>();
    services.errorReporter = std::make_unique<SilentReporter>();
    services.noticeBox = std::make_unique<SilentNotice>();
    auto recorder = std::make_unique<RecorderOutput>();
    RecorderOutput* midi = recorder.get();
    services.midiOut = std::move(recorder);
    services.settings = std::make_unique<IniFileStore>(settings.path());
    services.programFolder = settings.path();
    services.endProgram = [] {};
    Program program(std::move(services));
    program.start();
    midi->clear();

    std::printf("Note timing: %d single presses on the real clock, headless, recording output.\n",
                notes);
    std::vector<double> lateness;
    lateness.reserve(static_cast<std::size_t>(notes));
    int early = 0;
    const double cpuBefore = processCpuSeconds();
    const Steady::time_point wallBefore = Steady::now();
    for (int i = 0; i < notes; ++i) {
        const std::size_t before = midi->messages().size();
        const Steady::time_point pressed = Steady::now();
        program.window().keyPressed(u'a');
        runUntil([&] { return midi->messages().size() > before; }, 2000);
        if (midi->messages().size() == before) {
            std::printf("  note %d was never sent\n", i);
            return 1;
        }
        const std::chrono::duration<double, std::milli> late =
            midi->messages().back().sentAt - pressed - std::chrono::milliseconds(500);
        if (late.count() < 0)
            ++early;
        lateness.push_back(late.count());
    }
    const double cpu = processCpuSeconds() - cpuBefore;
    const std::chrono::duration<double> wall = Steady::now() - wallBefore;
    std::printf("  lateness after 500 ms: median %.3f ms, p99 %.3f ms, max %.3f ms, early %d\n",
                percentile(lateness, 0.5), percentile(lateness, 0.99),
                *std::max_element(lateness.begin(), lateness.end()), early);
    std::printf("  CPU while waiting: %.2f%% of one core (%.3f s CPU over %.1f s)\n",
                100.0 * cpu / wall.count(), cpu, wall.count());

    const SystemClock clock;
    const int polls = std::max(4, notes / 20);
    const double pollCpuBefore = processCpuSeconds();
    const Steady::time_point pollWallBefore = Steady::now();
    for (int i = 0; i < polls; ++i)
        busyPollingPause(clock, 0.5);
    const double pollCpu = processCpuSeconds() - pollCpuBefore;
    const std::chrono::duration<double> pollWall = Steady::now() - pollWallBefore;
    std::printf("  reference busy-polling wait: %.2f%% of one core (%d waits of 500 ms)\n",
                100.0 * pollCpu / pollWall.count(), polls);
    return 0;
}
