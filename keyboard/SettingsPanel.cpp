#include "keyboard/SettingsPanel.h"

#include "keyboard/Form1Layout.h"
#include "keyboard/SettingBar.h"
#include "keyboard/SettingBars.h"
#include "midi/MidiPort.h"
#include "midi/PatchNames.h"
#include "shell/CheckedInt.h"
#include "shell/ErrorTrap.h"
#include "shell/NumberText.h"
#include "shell/SettingsStore.h"

#include <QLabel>

namespace {

// A number as the value labels show it: a blank where a minus sign would go.
QString withSignPlace(long long value) {
    return (value < 0 ? QString() : QStringLiteral(" ")) + QString::number(value);
}

} // namespace

void SettingsPanel::save(SettingBar* Form1Layout::*bar) {
    const int value = (ui_.*bar)->value();
    store_.SaveSetting(QLatin1String(SettingsAppName), QLatin1String(SettingsSection),
                       QLatin1String(settingBarRow(bar).key), ToText(value));
}

void SettingsPanel::HScrollMIDIChannel_Click() {
    ErrorTrap trap(reporter_, locationTag("Form1", "HScrollMIDIChannel_Click"));
    MidiState& state = port_.state();
    trap.step(100, [&] { save(&Form1Layout::HScrollMIDIChannel); });
    trap.step(102, [&] { state.currentChannel = checkedInt16(ui_.HScrollMIDIChannel->value()); });
    trap.step(104, [&] { setCaption(ui_.lblChannel, withSignPlace(state.currentChannel + 1LL)); });
    trap.step(106,
              [&] { ui_.HScrollPatch->assignValue(state.channelPatch[state.currentChannel]); });
    trap.step(108,
              [&] { ui_.HScrollVolume->assignValue(state.channelVolume[state.currentChannel]); });
    trap.step(110, [&] { ui_.HScrollPan->assignValue(state.channelPan[state.currentChannel]); });
    trap.step(112, [&] {
        ui_.HScrollOctave->assignValue(state.channelBaseNote[state.currentChannel] / 12);
    });
}

void SettingsPanel::HScrollVolume_Click() {
    ErrorTrap trap(reporter_, locationTag("Form1", "HScrollVolume_Click"));
    MidiState& state = port_.state();
    trap.step(100, [&] { save(&Form1Layout::HScrollVolume); });
    trap.step(102, [&] { state.currentVolume = checkedInt16(ui_.HScrollVolume->value()); });
    trap.step(104, [&] { state.channelVolume[state.currentChannel] = state.currentVolume; });
    trap.step(106, [&] { setCaption(ui_.lblVolume, withSignPlace(state.currentVolume)); });
}

void SettingsPanel::HScrollOctave_Click() {
    ErrorTrap trap(reporter_, locationTag("Form1", "HScrollOctave_Click"));
    MidiState& state = port_.state();
    trap.step(100, [&] { save(&Form1Layout::HScrollOctave); });
    trap.step(102, [&] { setCaption(ui_.lblOctave, withSignPlace(ui_.HScrollOctave->value())); });
    trap.step(104, [&] {
        state.channelBaseNote[state.currentChannel] =
            checkedInt16(ui_.HScrollOctave->value() * 12LL);
    });
}

void SettingsPanel::HScrollPatch_Click() {
    ErrorTrap trap(reporter_, locationTag("Form1", "HScrollPatch_Click"));
    MidiState& state = port_.state();
    trap.step(100, [&] { save(&Form1Layout::HScrollPatch); });
    trap.step(102, [&] {
        state.channelPatch[state.currentChannel] = checkedInt16(ui_.HScrollPatch->value());
    });
    trap.step(104, [&] { patchNames_.ReadPatch(); });
    port_.sendInSteps(trap, 106, ChannelMessage::ProgramChange);
}

void SettingsPanel::HScrollPan_Click() {
    ErrorTrap trap(reporter_, locationTag("Form1", "HScrollPan_Click"));
    MidiState& state = port_.state();
    trap.step(100, [&] { save(&Form1Layout::HScrollPan); });
    trap.step(102, [&] { setCaption(ui_.lblPan, QString::number(ui_.HScrollPan->value())); });
    trap.step(104, [&] {
        state.channelPan[state.currentChannel] = checkedInt16(ui_.HScrollPan->value());
    });
    port_.sendInSteps(trap, 106, ChannelMessage::Pan);
}
