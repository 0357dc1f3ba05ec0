#pragma once

#include "keyboard/Form1Layout.h"
#include "keyboard/Twips.h"

class SettingsPanel;

// One bar of the "MIDI Settings" frame: how the window lays it out, where its
// value is stored and read back at start-up, and what runs when the user
// moves it.
struct SettingBarRow {
    SettingBar* Form1Layout::*bar;
    const char* objectName;
    int top; // in twips; the bars share their left edge and their size
    int minimum;
    int maximum;
    int pageStep;            // the stored step of 10 is the bars' page step
    int value;               // the design value, until the start-up reads the store
    const char* description; // what a screen reader tells of it
    const char* key;         // its entry in the settings store
    int storedDefault;       // read when the store has no entry
    int startUpLine;         // the start-up's step that reads the entry
    void (SettingsPanel::*userChanged)();

    TwipsRect rect() const { return {1395, top, 2355, 285}; }
};

// The five bars from top to bottom, which is also their tab order: channel,
// volume, octave, instrument, pan.
extern const SettingBarRow SettingBars[Form1Layout::BarCount];

// The row of `bar`.
const SettingBarRow& settingBarRow(SettingBar* Form1Layout::*bar);
