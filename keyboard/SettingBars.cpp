#include "keyboard/SettingBars.h"

#include "keyboard/SettingsPanel.h"

#include <algorithm>
#include <iterator>

constinit const SettingBarRow SettingBars[Form1Layout::BarCount] = {
    {&Form1Layout::HScrollMIDIChannel, "HScrollMIDIChannel", 270, 0, 15, 1, 13,
     "MIDI channel, 1 to 16", "Channel", 13, 168, &SettingsPanel::HScrollMIDIChannel_Click},
    {&Form1Layout::HScrollVolume, "HScrollVolume", 675, 0, 100, 10, 100,
     "Loudness of the notes, 0 to 100", "Volume", 50, 172, &SettingsPanel::HScrollVolume_Click},
    {&Form1Layout::HScrollOctave, "HScrollOctave", 1080, 0, 4, 1, 2,
     "Octave of the note keys, 0 to 4", "Octave", 2, 176, &SettingsPanel::HScrollOctave_Click},
    {&Form1Layout::HScrollPatch, "HScrollPatch", 1485, 0, 127, 10, 0,
     "General MIDI instrument, 0 to 127", "Patch", 0, 170, &SettingsPanel::HScrollPatch_Click},
    {&Form1Layout::HScrollPan, "HScrollPan", 2160, 0, 127, 10, 0,
     "Stereo position, 0 left, 64 centre, 127 right", "Pan", 64, 174,
     &SettingsPanel::HScrollPan_Click},
};

const SettingBarRow& settingBarRow(SettingBar* Form1Layout::*bar) {
    return *std::find_if(std::begin(SettingBars), std::end(SettingBars),
                         [bar](const SettingBarRow& row) { return row.bar == bar; });
}
