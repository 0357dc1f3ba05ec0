#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class Clock;
class ErrorReporter;
class MidiOutDevice;
class MidiPortCatalogue;
class SettingsStore;

// A uniform random number generator seeded from the time of day.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(double secondsSinceMidnight) = 0;
    // A number from 0 inclusive to 1 exclusive.
    virtual double draw() = 0;
};

// Opens an address in the user's browser. Fails (throws) when it cannot.
class UrlOpener {
public:
    virtual ~UrlOpener() = default;
    virtual void open(const QUrl& url) = 0;
};

// A plain message box with an OK button, no icon and the application title.
class NoticeBox {
public:
    virtual ~NoticeBox() = default;
    virtual void showNotice(const QString& text) = 0;
};

// Everything the program reaches outside itself, in one place, so that tests
// can put their own in.
struct Services {
    Services();
    Services(Services&&) noexcept;
    Services& operator=(Services&&) noexcept;
    ~Services();

    std::unique_ptr<Clock> clock;
    std::unique_ptr<RandomSource> random;
    std::unique_ptr<UrlOpener> urlOpener;
    std::unique_ptr<ErrorReporter> errorReporter;
    std::unique_ptr<NoticeBox> noticeBox;
    // The built-in synthesiser.
    std::unique_ptr<MidiOutDevice> midiOut;
    // The system's MIDI ports; may be empty, leaving the built-in synthesiser.
    std::unique_ptr<MidiPortCatalogue> midiPorts;
    std::unique_ptr<SettingsStore> settings;
    // The folder of the running executable, without a trailing separator.
    QString programFolder;
    // Ends the program at once. The default leaves the main event loop.
    std::function<void()> endProgram;
};
