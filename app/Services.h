#pragma once

#include <QString>

#include <functional>
#include <memory>

class Clock;
class ErrorReporter;
class MidiOutDevice;
class MidiPortCatalogue;
class NoticeBox;
class RandomSource;
class SettingsStore;
class UrlOpener;

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
    // The default output: the built-in synthesiser, or on Windows the MIDI
    // mapper; in a build with neither, an output that never opens.
    std::unique_ptr<MidiOutDevice> midiOut;
    // The system's MIDI ports; may be empty, leaving the default output alone.
    std::unique_ptr<MidiPortCatalogue> midiPorts;
    std::unique_ptr<SettingsStore> settings;
    // The folder of the running executable, without a trailing separator.
    QString programFolder;
    // Ends the program at once. The default leaves the main event loop.
    std::function<void()> endProgram;
};
