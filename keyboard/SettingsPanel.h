#pragma once

class ErrorReporter;
class MidiPort;
class PatchNames;
class SettingBar;
class SettingsStore;
struct Form1Layout;

// The five bars of the "MIDI Settings" frame. Each procedure runs on a change
// the user makes to its bar: it stores the value, shows it, applies it to the
// MIDI state of the current channel and, for instrument and pan, sends it.
class SettingsPanel {
public:
    SettingsPanel(Form1Layout& ui, MidiPort& port, PatchNames& patchNames, SettingsStore& store,
                  ErrorReporter& reporter)
        : ui_(ui), port_(port), patchNames_(patchNames), store_(store), reporter_(reporter) {}

    void HScrollMIDIChannel_Click();
    void HScrollVolume_Click();
    void HScrollOctave_Click();
    void HScrollPatch_Click();
    void HScrollPan_Click();

private:
    // Stores the bar's value under the bar's key.
    void save(SettingBar* Form1Layout::*bar);

    Form1Layout& ui_;
    MidiPort& port_;
    PatchNames& patchNames_;
    SettingsStore& store_;
    ErrorReporter& reporter_;
};
