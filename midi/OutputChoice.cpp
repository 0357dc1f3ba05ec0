#include "midi/OutputChoice.h"

#include "midi/MidiPort.h"
#include "midi/MidiPortCatalogue.h"
#include "midi/SwitchableOutput.h"
#include "shell/ErrorTrap.h"
#include "shell/SettingsStore.h"

#include <exception>
#include <memory>
#include <utility>

QStringList OutputChoice::outputNames() const {
    QStringList names{QString::fromLatin1(BuiltInName)};
    if (catalogue_)
        names += catalogue_->portNames();
    return names;
}

void OutputChoice::restore() {
    const QString builtIn = QString::fromLatin1(BuiltInName);
    try {
        const QString stored =
            store_.GetSetting(QLatin1String(SettingsAppName), QLatin1String(SettingsSection),
                              QLatin1String(SettingsKey), 0);
        if (stored == builtIn || !catalogue_)
            return;
        if (std::unique_ptr<MidiOutDevice> device = catalogue_->makePort(stored)) {
            output_.select(std::move(device));
            current_ = stored;
        }
    } catch (const std::exception&) {
        // The built-in synthesiser stays; start-up goes on as on a first run.
    }
}

void OutputChoice::choose(const QString& name) {
    if (name == current_)
        return;
    ErrorTrap trap(reporter_, locationTag("Form1", "MidiOutput_Click"));
    const bool builtIn = name == QLatin1String(BuiltInName);
    std::unique_ptr<MidiOutDevice> device;
    if (!builtIn) {
        trap.step(100, [&] {
            if (catalogue_)
                device = catalogue_->makePort(name);
        });
        if (!device)
            return;
    }
    trap.step(102, [&] {
        store_.SaveSetting(QLatin1String(SettingsAppName), QLatin1String(SettingsSection),
                           QLatin1String(SettingsKey), name);
    });
    trap.step(104, [&] { port_.closePort(); });
    output_.select(std::move(device));
    current_ = name;
    trap.step(106, [&] { port_.MidiOutOpenPort(); });
    port_.sendInSteps(trap, 108, ChannelMessage::ProgramChange);
    port_.sendInSteps(trap, 116, ChannelMessage::Pan);
}

void OutputChoice::fallBackIfLost() {
    if (!output_.portLost())
        return;
    const QString gone = current_;
    port_.closePort();
    output_.select(nullptr);
    current_ = QString::fromLatin1(BuiltInName);
    port_.MidiOutOpenPort();
    // Not through the registers: they hold the message about to go.
    port_.sendDirect(ChannelMessage::ProgramChange);
    port_.sendDirect(ChannelMessage::Pan);
    notice_ = QStringLiteral("%1 went away; playing through the %2.")
                  .arg(gone, QString::fromLatin1(BuiltInName).toLower());
}

QString OutputChoice::takeNotice() {
    return std::exchange(notice_, QString());
}
