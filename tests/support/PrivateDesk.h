#pragma once

// A desk of the test's (or benchmark's) own: a virtual X display (Xvfb), a
// sound server whose only sink is a null sink named "rec", and a recorder of
// that sink's monitor, in a temporary home. The server is PulseAudio, or
// PipeWire with its PulseAudio server and WirePlumber (what Debian's desktop
// runs); clients reach either through PULSE_SERVER. Every program started
// here is stopped when its owner goes, and dies with the process that started
// it.

#include "support/ToneAnalysis.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <sys/prctl.h>
#include <unistd.h>

namespace desk {

inline constexpr int Rate = 48000;

enum class Server { PulseAudio, PipeWire };

inline const char* serverName(Server server) {
    return server == Server::PulseAudio ? "PulseAudio" : "PipeWire";
}

// Waits, handling events, until `condition` holds or `timeoutMs` passed.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    return QTest::qWaitFor(condition, timeoutMs);
}

// A program started here; stopped, whatever happens, when it goes.
class Child {
public:
    explicit Child(const QProcessEnvironment& environment) {
        process.setProcessEnvironment(environment);
        process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    }
    ~Child() { stop(); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    void stop() {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(3000)) {
            process.kill();
            process.waitForFinished(3000);
        }
    }

    QProcess process;
};

struct Run {
    bool ok = false;
    QByteArray output;
};

// Runs a short command to its end (at most `timeoutMs`).
inline Run run(const QProcessEnvironment& environment, const QString& program,
               const QStringList& arguments, int timeoutMs = 5000) {
    Child child(environment);
    child.process.start(program, arguments);
    if (!child.process.waitForFinished(timeoutMs))
        return {};
    return {child.process.exitStatus() == QProcess::NormalExit && child.process.exitCode() == 0,
            child.process.readAllStandardOutput()};
}

// The monitor of the null sink, read as it comes. The arrival time of each
// piece bounds when its samples sounded. A moment on the owner's clock is
// placed with the tightest bound of the pieces that came in the second after
// it: a server under load may drop samples of a recording, which would move
// every later sample if one bound were kept for the whole of it.
class Recorder {
public:
    Recorder(const QProcessEnvironment& environment, const QElapsedTimer& clock)
        : child_(environment), clock_(clock) {
        QObject::connect(&child_.process, &QProcess::readyReadStandardOutput, &child_.process,
                         [this] { take(); });
    }
    ~Recorder() {
        // Stop reading before the members that reading fills go.
        child_.process.disconnect();
        child_.stop();
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool start() {
        // Samples it missed would move every later one earlier: where it may,
        // it runs with real-time priority, out of the busy loops' way.
        QStringList command;
        if (::geteuid() == 0 && !QStandardPaths::findExecutable(QStringLiteral("chrt")).isEmpty())
            command << QStringLiteral("chrt") << QStringLiteral("--rr") << QStringLiteral("10");
        command << QStringLiteral("parec");
        const QString program = command.takeFirst();
        child_.process.start(program, command + QStringList{QStringLiteral("--device=rec.monitor"),
                                                            QStringLiteral("--format=s16le"),
                                                            QStringLiteral("--rate=%1").arg(Rate),
                                                            QStringLiteral("--channels=1"),
                                                            QStringLiteral("--raw"),
                                                            QStringLiteral("--latency-msec=10")});
        return child_.process.waitForStarted(5000);
    }

    // Seconds on the owner's clock of the newest sample.
    double end() const {
        return pieces_.empty() ? 0.0
                               : offsetAround(pieces_.back().arrived - 1.0) + recording.seconds();
    }
    // The recording's time of a moment on the owner's clock.
    double at(double clockSeconds) const { return clockSeconds - offsetAround(clockSeconds); }
    // The moment on the owner's clock of a time in the recording: placed by
    // the pieces that brought it, so that samples the server dropped before
    // it do not move it.
    double clockOf(double recordingSeconds) const {
        double offset = 1e9;
        double firstArrival = -1;
        for (const Piece& piece : pieces_) {
            if (piece.arrived - piece.offset < recordingSeconds)
                continue; // arrived before the moment was recorded
            if (firstArrival < 0)
                firstArrival = piece.arrived;
            if (piece.arrived > firstArrival + 1.0)
                break;
            offset = std::min(offset, piece.offset);
        }
        return recordingSeconds + (firstArrival < 0 ? offsetAround(1e9) : offset);
    }

    tone::Recording recording{{}, Rate};

private:
    void take() {
        const double arrived = static_cast<double>(clock_.nsecsElapsed()) / 1e9;
        pending_ += child_.process.readAllStandardOutput();
        const qsizetype whole = pending_.size() / 2 * 2;
        for (qsizetype i = 0; i < whole; i += 2)
            recording.samples.push_back(static_cast<std::int16_t>(
                static_cast<quint8>(pending_[i]) | static_cast<quint8>(pending_[i + 1]) << 8));
        pending_.remove(0, whole);
        pieces_.push_back({arrived, arrived - recording.seconds()});
    }

    // Where sample 0 would be on the owner's clock, near a moment.
    double offsetAround(double clockSeconds) const {
        double offset = 1e9;
        for (auto piece = pieces_.rbegin(); piece != pieces_.rend(); ++piece) {
            if (piece->arrived < clockSeconds && offset < 1e9)
                break;
            if (piece->arrived <= clockSeconds + 1.0)
                offset = std::min(offset, piece->offset);
        }
        return offset;
    }

    Child child_;
    const QElapsedTimer& clock_;
    QByteArray pending_;
    struct Piece {
        double arrived; // on the owner's clock
        double offset;  // arrival less the recording's length then
    };
    std::vector<Piece> pieces_;
};

class PrivateDesk {
public:
    explicit PrivateDesk(Server server = Server::PulseAudio) : server_(server) {}

    // The first of the programs needed that is not installed; empty when all
    // are. Without the display only the sound server's are needed.
    static QString missingTool(Server server = Server::PulseAudio, bool display = true) {
        QStringList tools{QStringLiteral("pactl"), QStringLiteral("parec")};
        if (display)
            tools << QStringLiteral("Xvfb") << QStringLiteral("xdotool");
        if (server == Server::PulseAudio)
            tools << QStringLiteral("pulseaudio");
        else
            tools << QStringLiteral("pipewire") << QStringLiteral("pipewire-pulse")
                  << QStringLiteral("wireplumber") << QStringLiteral("dbus-daemon");
        for (const QString& tool : tools)
            if (QStandardPaths::findExecutable(tool).isEmpty())
                return tool;
        return {};
    }

    // Starts the display and the sound server. Answers why not when the
    // machine cannot run them; empty on success.
    QString start() {
        if (const QString why = prepare(); !why.isEmpty())
            return why;
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

        // Xvfb picks a free display number and tells it.
        display_ = std::make_unique<Child>(environment);
        display_->process.start(QStringLiteral("Xvfb"),
                                {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                 QStringLiteral("-screen"), QStringLiteral("0"),
                                 QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                 QStringLiteral("tcp"),
                                 // A server that resets when its last client goes
                                 // turns the next one away meanwhile.
                                 QStringLiteral("-noreset")});
        QString number;
        waitFor(
            [&] {
                number += QString::fromLatin1(display_->process.readAllStandardOutput());
                return number.endsWith(QLatin1Char('\n')) ||
                       display_->process.state() == QProcess::NotRunning;
            },
            10000);
        if (!number.endsWith(QLatin1Char('\n')))
            return QStringLiteral("Xvfb does not start here: ") +
                   QString::fromLocal8Bit(display_->process.readAllStandardError().trimmed());
        environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + number.trimmed());

        return startSound();
    }

    // Starts the sound server alone, in the desk's environment (start()
    // makes it, with the display); or again after stopSound(). Answers why
    // not when it does not start; empty on success.
    QString startSound() {
        if (environment.isEmpty())
            if (const QString why = prepare(); !why.isEmpty())
                return why;
        return server_ == Server::PulseAudio ? startPulseAudio() : startPipeWire();
    }

    // Stops the sound server as a crash or a restart would: its clients lose
    // their connection. The recording stops with it.
    void stopSound() {
        recorder.reset();
        // In reverse order of starting: the PulseAudio server first, the
        // graph and its bus last.
        while (!sound_.empty())
            sound_.pop_back();
    }

    // Starts recording the null sink; the recording's times are on `clock`.
    bool startRecording(const QElapsedTimer& clock) {
        recorder = std::make_unique<Recorder>(environment, clock);
        return recorder->start() &&
               waitFor([&] { return recorder->recording.samples.size() > Rate / 10; }, 10000);
    }

    // Whether a client of the sound server is playing into it.
    bool somethingPlays() const {
        return !run(environment, QStringLiteral("pactl"),
                    {QStringLiteral("list"), QStringLiteral("short"),
                     QStringLiteral("sink-inputs")})
                    .output.trimmed()
                    .isEmpty();
    }

    QString root() const { return dir_.path(); }
    // What a client of the sound server is to be told: "unix:<socket>".
    QString soundServer() const { return environment.value(QStringLiteral("PULSE_SERVER")); }

    ~PrivateDesk() {
        // In reverse order of starting.
        stopSound();
        display_.reset();
    }

    QProcessEnvironment environment;
    std::unique_ptr<Recorder> recorder;

private:
    // The temporary home and the environment of everything started here.
    QString prepare() {
        if (!dir_.isValid() || !QDir(root()).mkpath(QStringLiteral("run")) ||
            !QDir(root()).mkpath(QStringLiteral("config")))
            return QStringLiteral("no temporary folder");
        QFile::setPermissions(root() + QStringLiteral("/run"), QFileDevice::ReadOwner |
                                                                   QFileDevice::WriteOwner |
                                                                   QFileDevice::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), root());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root() + QStringLiteral("/run"));
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"), root() + QStringLiteral("/run"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root() + QStringLiteral("/config"));
        // PipeWire's PulseAudio server listens in PULSE_RUNTIME_PATH.
        environment.insert(QStringLiteral("PULSE_SERVER"),
                           QStringLiteral("unix:") + root() +
                               (server_ == Server::PulseAudio ? QStringLiteral("/native")
                                                              : QStringLiteral("/run/native")));
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        // On one start in a hundred the program opens its home page: a
        // browser that opens nothing, so that the desk has one and shows no
        // error over the window.
        const QString bin = root() + QStringLiteral("/bin");
        QFile browser(bin + QStringLiteral("/xdg-open"));
        if (!QDir(root()).mkpath(QStringLiteral("bin")) || !browser.open(QIODevice::WriteOnly) ||
            browser.write("#!/bin/sh\nexit 0\n") < 0 ||
            !browser.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner))
            return QStringLiteral("no browser for the desk");
        environment.insert(QStringLiteral("PATH"),
                           bin + QLatin1Char(':') + environment.value(QStringLiteral("PATH")));
        return {};
    }

    QString startPulseAudio() {
        auto& server = startServer(
            QStringLiteral("pulseaudio"),
            {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--system=no"),
             QStringLiteral("--use-pid-file=no"), QStringLiteral("--exit-idle-time=-1"),
             QStringLiteral("--disallow-exit"), QStringLiteral("--disable-shm=yes"),
             QStringLiteral("-L"),
             QStringLiteral("module-null-sink sink_name=rec rate=%1").arg(Rate),
             QStringLiteral("-L"),
             QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=%1/native")
                 .arg(root())});
        if (!answers())
            return QStringLiteral("PulseAudio does not start here: ") +
                   QString::fromLocal8Bit(server.process.readAllStandardError().trimmed());
        return {};
    }

    // The graph, its session manager (which links streams to the default
    // sink), and the PulseAudio server on top; then the null sink, made the
    // default.
    QString startPipeWire() {
        // WirePlumber ends without a session bus: one of their own, which
        // nothing else here sees.
        QProcessEnvironment own = environment;
        const QString bus = root() + QStringLiteral("/bus");
        own.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + bus);
        startServer(QStringLiteral("dbus-daemon"),
                    {QStringLiteral("--session"), QStringLiteral("--nofork"),
                     QStringLiteral("--nopidfile"), QStringLiteral("--address=unix:path=") + bus},
                    own);
        waitFor([&] { return QFile::exists(bus); }, 10000);
        startServer(QStringLiteral("pipewire"), {}, own);
        // The others connect to the graph once it listens.
        waitFor([&] { return QFile::exists(root() + QStringLiteral("/run/pipewire-0")); }, 10000);
        startServer(QStringLiteral("wireplumber"), {}, own);
        startServer(QStringLiteral("pipewire-pulse"), {}, own);
        const auto pactl = [&](const QStringList& arguments) {
            return run(environment, QStringLiteral("pactl"), arguments).ok;
        };
        QString failed;
        if (!answers())
            failed = QStringLiteral("no answer");
        else if (!pactl({QStringLiteral("load-module"), QStringLiteral("module-null-sink"),
                         QStringLiteral("sink_name=rec"), QStringLiteral("rate=%1").arg(Rate)}))
            failed = QStringLiteral("no null sink");
        else if (!waitFor(
                     [&] {
                         return pactl(
                                    {QStringLiteral("set-default-sink"), QStringLiteral("rec")}) &&
                                run(environment, QStringLiteral("pactl"),
                                    {QStringLiteral("get-default-sink")})
                                        .output.trimmed() == "rec";
                     },
                     10000))
            failed = QStringLiteral("the null sink is not the default");
        if (!failed.isEmpty()) {
            for (const auto& part : sound_)
                failed +=
                    QLatin1Char('\n') + part->process.program() +
                    (part->process.state() == QProcess::Running ? QStringLiteral(": ")
                                                                : QStringLiteral(" ended: ")) +
                    QString::fromLocal8Bit(part->process.readAllStandardError().trimmed());
            return QStringLiteral("PipeWire does not start here: ") + failed.right(2000);
        }
        return {};
    }

    Child& startServer(const QString& program, const QStringList& arguments) {
        return startServer(program, arguments, environment);
    }

    Child& startServer(const QString& program, const QStringList& arguments,
                       const QProcessEnvironment& own) {
        sound_.push_back(std::make_unique<Child>(own));
        sound_.back()->process.start(program, arguments);
        return *sound_.back();
    }

    // Every part of the server runs, and its PulseAudio server answers.
    bool answers() {
        const auto stopped = [&] {
            return std::any_of(sound_.begin(), sound_.end(), [](const auto& part) {
                return part->process.state() == QProcess::NotRunning;
            });
        };
        return waitFor(
                   [&] {
                       return stopped() ||
                              run(environment, QStringLiteral("pactl"), {QStringLiteral("info")})
                                  .ok;
                   },
                   10000) &&
               !stopped();
    }

    Server server_;
    QTemporaryDir dir_;
    std::unique_ptr<Child> display_;
    std::vector<std::unique_ptr<Child>> sound_;
};

} // namespace desk
