#pragma once

// Services for tests: everything the program reaches outside itself is
// recorded or scripted here, and nothing opens a box, a browser or a device.

#include "app/Services.h"
#include "midi/MidiPortCatalogue.h"
#include "shell/Clock.h"
#include "shell/ErrorReport.h"
#include "shell/IniFileStore.h"
#include "shell/NoticeBox.h"
#include "shell/RandomSource.h"
#include "shell/UrlOpener.h"
#include "support/RecorderOutput.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

struct RecordedReport {
    QString description;
    QString tag;
    int line;

    // The second line of the box, e.g. "in Clavitone2021/08/31.Form1.Form_Load at line 168".
    QString location() const { return tag + QStringLiteral("at line ") + QString::number(line); }
};

class RecordingErrorReporter : public ErrorReporter {
public:
    void ErrorReport(const QString& description, const QString& tag, int line) override {
        reports.push_back({description, tag, line});
        if (onReport)
            onReport();
    }
    std::vector<RecordedReport> reports;
    std::function<void()> onReport; // runs while the "box" is open
};

class RecordingNotices : public NoticeBox {
public:
    void showNotice(const QString& text) override {
        notices << text;
        if (onNotice)
            onNotice();
    }
    QStringList notices;
    std::function<void()> onNotice; // runs while the "box" is open
};

// A clock the test moves by hand.
class ManualClock : public Clock {
public:
    explicit ManualClock(double start = 36000.0) : now_(start) {}
    double secondsSinceMidnight() const override { return now_; }
    void set(double secondsSinceMidnight) { now_ = secondsSinceMidnight; }
    void advance(double seconds) {
        now_ += seconds;
        while (now_ >= 86400.0)
            now_ -= 86400.0;
    }

private:
    double now_;
};

class ScriptedRandom : public RandomSource {
public:
    explicit ScriptedRandom(double value = 0.5) : value(value) {}
    void seed(double secondsSinceMidnight) override { seeds.push_back(secondsSinceMidnight); }
    double draw() override { return value; }
    double value;
    std::vector<double> seeds;
};

class RecordingUrlOpener : public UrlOpener {
public:
    void open(const QUrl& url) override {
        opened.push_back(url);
        if (fail)
            throw std::runtime_error("The browser could not be started");
    }
    std::vector<QUrl> opened;
    bool fail = false;
};

// System ports for tests. Every port has one recorder that outlives the
// outputs made for it, so a test reads what a port got after it was left.
class FakeMidiPorts : public MidiPortCatalogue {
public:
    QStringList names;
    std::map<QString, std::unique_ptr<RecorderOutput>> recorders;
    QStringList made; // the names asked for, in order

    QStringList portNames() override { return names; }
    std::unique_ptr<MidiOutDevice> makePort(const QString& name) override {
        if (!names.contains(name))
            return nullptr;
        made << name;
        auto& recorder = recorders[name];
        if (!recorder)
            recorder = std::make_unique<RecorderOutput>();
        return std::make_unique<Forwarder>(*recorder);
    }
    RecorderOutput* recorder(const QString& name) {
        const auto found = recorders.find(name);
        return found == recorders.end() ? nullptr : found->second.get();
    }

private:
    struct Forwarder : MidiOutDevice {
        explicit Forwarder(RecorderOutput& to) : to(to) {}
        MidiHandle open() override { return to.open(); }
        void sendShortMessage(MidiHandle h, std::uint32_t m) override { to.sendShortMessage(h, m); }
        void close(MidiHandle h) override { to.close(h); }
        bool lost() const override { return to.lost(); }
        RecorderOutput& to;
    };
};

// A complete set of test services. The pointers stay valid while the Services
// they were made for live (moved into a Program, say).
struct TestServices {
    QTemporaryDir settingsDir;
    QTemporaryDir programDir;
    RecordingErrorReporter* reporter = nullptr;
    RecordingNotices* notices = nullptr;
    RecorderOutput* midi = nullptr;
    ScriptedRandom* random = nullptr;
    RecordingUrlOpener* opener = nullptr;
    IniFileStore* settings = nullptr;
    // When set, the settings live there instead: a second program started on
    // the store of a first.
    QString sharedSettingsFolder;
    FakeMidiPorts* ports = nullptr;
    Clock* clock = nullptr;
    ManualClock* manualClock = nullptr; // set when made with a manual clock
    int endCount = 0;

    // realClock: the system clock; otherwise a ManualClock the test moves.
    Services make(bool realClock = true, bool midiFails = false) {
        Services services;
        auto reporterOwned = std::make_unique<RecordingErrorReporter>();
        reporter = reporterOwned.get();
        services.errorReporter = std::move(reporterOwned);
        auto noticesOwned = std::make_unique<RecordingNotices>();
        notices = noticesOwned.get();
        services.noticeBox = std::move(noticesOwned);
        auto midiOwned = std::make_unique<RecorderOutput>(midiFails);
        midi = midiOwned.get();
        services.midiOut = std::move(midiOwned);
        auto portsOwned = std::make_unique<FakeMidiPorts>();
        ports = portsOwned.get();
        services.midiPorts = std::move(portsOwned);
        auto randomOwned = std::make_unique<ScriptedRandom>();
        random = randomOwned.get();
        services.random = std::move(randomOwned);
        auto openerOwned = std::make_unique<RecordingUrlOpener>();
        opener = openerOwned.get();
        services.urlOpener = std::move(openerOwned);
        auto settingsOwned = std::make_unique<IniFileStore>(
            sharedSettingsFolder.isEmpty() ? settingsDir.path() : sharedSettingsFolder);
        settings = settingsOwned.get();
        services.settings = std::move(settingsOwned);
        if (realClock) {
            services.clock = std::make_unique<SystemClock>();
        } else {
            auto manual = std::make_unique<ManualClock>();
            manualClock = manual.get();
            services.clock = std::move(manual);
        }
        clock = services.clock.get();
        services.programFolder = programDir.path();
        services.endProgram = [this] { ++endCount; };
        return services;
    }

    // Writes a file below the program folder.
    void writeProgramFile(const QString& name, const QByteArray& content) const;
};

inline void TestServices::writeProgramFile(const QString& name, const QByteArray& content) const {
    const QString path = programDir.filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}
