#include "keyboard/SettingBars.h"

#include "keyboard/SettingsPanel.h"

#include <algorithm>
#include <iterator>

constinit const SettingBarRow SettingBars[Form1Layout::BarCount] = {
    {
        .bar = &Form1Layout::HScrollMIDIChannel,
        .objectName = "HScrollMIDIChannel",
        .top = 270,
        .minimum = 0,
        .maximum = 15,
        .pageStep = 1,
        .startValue = 13,
        .captionLabel = {&Form1Layout::Label1, "Channel:", {180, 300, 735, 225}, 9},
        .valueLabel = {&Form1Layout::lblChannel, "13", {3780, 300, 210, 225}, 5},
        .spokenName = {"Channel %1", 1},
        .description = "MIDI channel, 1 to 16",
        .key = "Channel",
        .settingDefault = 13,
        .startUpLine = 168,
        .userChanged = &SettingsPanel::HScrollMIDIChannel_Click,
    },
    {
        .bar = &Form1Layout::HScrollVolume,
        .objectName = "HScrollVolume",
        .top = 675,
        .minimum = 0,
        .maximum = 100,
        .pageStep = 10,
        .startValue = 100,
        .captionLabel = {&Form1Layout::Label2, "Volume:", {180, 705, 690, 225}, 8},
        .valueLabel = {&Form1Layout::lblVolume, "100", {3780, 705, 315, 225}, 3},
        .spokenName = {"Volume %1"},
        .description = "Loudness of the notes, 0 to 100",
        .key = "Volume",
        .settingDefault = 50,
        .startUpLine = 172,
        .userChanged = &SettingsPanel::HScrollVolume_Click,
    },
    {
        .bar = &Form1Layout::HScrollOctave,
        .objectName = "HScrollOctave",
        .top = 1080,
        .minimum = 0,
        .maximum = 4,
        .pageStep = 1,
        .startValue = 2,
        .captionLabel = {&Form1Layout::Label3, "Octave:", {180, 1110, 645, 225}, 7},
        .valueLabel = {&Form1Layout::lblOctave, "2", {3780, 1110, 105, 225}, 2},
        .spokenName = {"Octave %1"},
        .description = "Octave of the note keys, 0 to 4",
        .key = "Octave",
        .settingDefault = 2,
        .startUpLine = 176,
        .userChanged = &SettingsPanel::HScrollOctave_Click,
    },
    {
        .bar = &Form1Layout::HScrollPatch,
        .objectName = "HScrollPatch",
        .top = 1485,
        .minimum = 0,
        .maximum = 127,
        .pageStep = 10,
        .startValue = 0,
        .captionLabel = {&Form1Layout::Label4, "Instrument:", {180, 1515, 975, 225}, 6},
        // Under the bar; it shows the instrument's name, from the start-up on.
        .valueLabel = {&Form1Layout::lblPatch, "MIDI", {1395, 1845, 360, 225}, 1},
        .spokenName = {"Instrument: %1", 0, true},
        .description = "General MIDI instrument, 0 to 127",
        .key = "Patch",
        .settingDefault = 0,
        .startUpLine = 170,
        .userChanged = &SettingsPanel::HScrollPatch_Click,
    },
    {
        .bar = &Form1Layout::HScrollPan,
        .objectName = "HScrollPan",
        .top = 2160,
        .minimum = 0,
        .maximum = 127,
        .pageStep = 10,
        .startValue = 0,
        .captionLabel = {&Form1Layout::Label7, "Pan:", {180, 2190, 375, 225}, 4},
        .valueLabel = {&Form1Layout::lblPan, "0", {3780, 2190, 105, 225}, 0},
        .spokenName = {"Pan %1"},
        .description = "Stereo position, 0 left, 64 centre, 127 right",
        .key = "Pan",
        .settingDefault = 64,
        .startUpLine = 174,
        .userChanged = &SettingsPanel::HScrollPan_Click,
    },
};

const SettingBarRow& settingBarRow(SettingBar* Form1Layout::*bar) {
    return *std::find_if(std::begin(SettingBars), std::end(SettingBars),
                         [bar](const SettingBarRow& row) { return row.bar == bar; });
}

std::array<const SettingBarLabel*, Form1Layout::LabelCount> settingBarLabelsInCreationOrder() {
    std::array<const SettingBarLabel*, Form1Layout::LabelCount> labels{};
    for (const SettingBarRow& row : SettingBars) {
        for (const SettingBarLabel* label : {&row.captionLabel, &row.valueLabel})
            labels.at(static_cast<std::size_t>(label->creationPlace)) = label;
    }
    return labels;
}
