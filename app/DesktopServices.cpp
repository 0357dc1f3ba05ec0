#include "app/DesktopServices.h"

#include "appearance/MessageBoxes.h"
#include "midi/DefaultOutput.h"
#include "midi/SystemMidiPorts.h"
#include "shell/Clock.h"
#include "shell/Failure.h"
#include "shell/ProgramFolder.h"
#include "shell/RandomSource.h"
#include "shell/UrlOpener.h"

#include <QCoreApplication>
#include <QDesktopServices>

#ifdef Q_OS_WIN
#include "shell/RegistryStore.h"
#else
#include "shell/IniFileStore.h"
#endif

#include <cstring>
#include <random>

namespace {

class MersenneRandom : public RandomSource {
public:
    void seed(double secondsSinceMidnight) override {
        std::uint64_t bits = 0;
        static_assert(sizeof bits == sizeof secondsSinceMidnight);
        std::memcpy(&bits, &secondsSinceMidnight, sizeof bits);
        engine_.seed(bits);
    }
    double draw() override { return std::uniform_real_distribution<double>(0.0, 1.0)(engine_); }

private:
    std::mt19937_64 engine_;
};

class DesktopUrlOpener : public UrlOpener {
public:
    void open(const QUrl& url) override {
        if (!QDesktopServices::openUrl(url))
            throw Failure::fileNotFound();
    }
};

} // namespace

Services desktopServices() {
    Services services;
    services.clock = std::make_unique<SystemClock>();
    services.random = std::make_unique<MersenneRandom>();
    services.urlOpener = std::make_unique<DesktopUrlOpener>();
    services.errorReporter = std::make_unique<MessageBoxErrorReporter>();
    services.noticeBox = std::make_unique<MessageBoxNotice>();
    services.midiOut = createDefaultMidiOut();
    services.midiPorts = createSystemMidiPorts();
    // The settings where the platform keeps a user's: the registry on Windows,
    // an INI file in the configuration folder elsewhere.
#ifdef Q_OS_WIN
    services.settings = std::make_unique<RegistryStore>();
#else
    services.settings = std::make_unique<IniFileStore>();
#endif
    services.programFolder = programFolder();
    services.endProgram = [] { QCoreApplication::exit(0); };
    return services;
}
