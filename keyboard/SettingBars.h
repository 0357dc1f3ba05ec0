#pragma once

#include "keyboard/Form1Layout.h"
#include "keyboard/Twips.h"

#include <array>

class SettingsPanel;

// One label of a bar's row, as the window is made.
struct SettingBarLabel {
    QLabel* Form1Layout::*label;
    const char* caption; // its design caption
    TwipsRect rect;      // width and height are those of the design caption
    int creationPlace;   // 0 to 9: where it comes among the frame's labels as they are made
};

// What a screen reader speaks as a bar's name: `name` with "%1" the bar's value
// plus `offset` (so the channel index 0 to 15 is heard as 1 to 16), or, for a
// bar whose value label names its value (the instrument), that label's text.
struct SpokenBarName {
    const char* name;
    int offset = 0;
    bool fromValueLabel = false;
};

// One bar of the "MIDI Settings" frame: how the window lays it out and labels
// it, what a screen reader tells of it, where its value is stored and read
// back at start-up, and what runs when the user moves it.
struct SettingBarRow {
    SettingBar* Form1Layout::*bar;
    const char* objectName;
    int top; // in twips; the bars share their left edge and their size
    int minimum;
    int maximum;
    int pageStep; // the stored step of 10 is the bars' page step
    // The bar's design position, where it stands as the window is made. It is
    // also the sound the program starts with: the start-up sets the MIDI state
    // from it (the octave as its base note), and the stored setting moves only
    // the bar. The value label's design caption shows it, but for the
    // instrument's ("MIDI"), which the start-up replaces with a name.
    int startValue;
    SettingBarLabel captionLabel; // on the bar's left: "Channel:", ...
    SettingBarLabel valueLabel;   // on its right, or under it for the instrument
    SpokenBarName spokenName;
    const char* description; // what a screen reader tells of it besides its name
    const char* key;         // its entry in the settings store
    // The setting's value when the store has no entry: where the start-up puts
    // the bar on a first run.
    int settingDefault;
    int startUpLine; // the start-up's step that reads the entry
    void (SettingsPanel::*userChanged)();

    TwipsRect rect() const { return {1395, top, 2355, 285}; }
};

// The five bars from top to bottom, which is also their tab order: channel,
// volume, octave, instrument, pan.
extern const SettingBarRow SettingBars[Form1Layout::BarCount];

// The row of `bar`.
const SettingBarRow& settingBarRow(SettingBar* Form1Layout::*bar);

// The caption and value labels of the five rows, in the order they are made.
std::array<const SettingBarLabel*, Form1Layout::LabelCount> settingBarLabelsInCreationOrder();
