#include "midi/PatchNames.h"

#include "midi/MidiState.h"
#include "shell/ErrorTrap.h"
#include "shell/ProfileReader.h"

void PatchNames::ReadPatch() {
    ErrorTrap trap(reporter_, locationTag("modPiano", "ReadPatch"));
    QString defaultText;
    QString section;
    QString key;
    QString file;
    QString name;
    trap.step(100, [&] { name.clear(); });
    trap.step(102, [&] { defaultText = name; });
    trap.step(104, [&] { section = QStringLiteral("General MIDI"); });
    trap.step(106, [&] {
        key = QLatin1Char(' ') + QString::number(state_.channelPatch[state_.currentChannel]);
    });
    trap.step(108, [&] { file = programFolder_ + QStringLiteral("/PATCH.INI"); });
    trap.step(110, [&] {
        name = readProfileString(file, section, key, defaultText, MaxProfileValueLength);
    });
    trap.step(112, [&] { show_(name); });
}
