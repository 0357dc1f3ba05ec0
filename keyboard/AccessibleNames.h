#pragma once

#include <QString>

struct Form1Layout;
struct MidiState;

// A MIDI note number as musicians name it: C4 is 60 and C1 is 24.
QString noteName(int midiNote);

// Gives the bars and buttons of the main window the names a screen reader
// speaks ("Channel 14", "Note C1", ...) and keeps them current. The value
// labels keep their own texts.
class AccessibleNames {
public:
    AccessibleNames(Form1Layout& ui, const MidiState& state);

    // Renames whatever changed since the last call.
    void refresh();

private:
    Form1Layout& ui_;
    const MidiState& state_;
};
