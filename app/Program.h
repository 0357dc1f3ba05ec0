#pragma once

#include "app/Services.h"
#include "midi/MidiState.h"

#include <QCursor>

#include <memory>
#include <optional>

class AccessibleNames;
class Form1;
class MidiPort;
class NoteKeys;
class OutputChoice;
class Pause;
class PatchNames;
class SettingsPanel;
class SwitchableOutput;

// The running program: its services, its MIDI state, its main window and the
// procedures wired to the window's notifications.
class Program {
public:
    explicit Program(Services services);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads the main window (Form_Load), then shows it centred with the focus
    // on the channel bar.
    void start();

    // Ends the program at once: what is waiting is dropped and no further
    // procedure runs.
    void end();
    bool ended() const { return ended_; }

    MidiState& state() { return state_; }
    Form1& window() { return *window_; }
    MidiPort& port() { return *port_; }
    Pause& pause() { return *pause_; }
    OutputChoice& outputChoice() { return *outputChoice_; }
    // The window's custom pointer picture, when one was loaded at start-up.
    const std::optional<QCursor>& customPointer() const { return customPointer_; }

private:
    void wire();
    void openOutputMenu(const QPoint& globalPosition);

    // The main window's load procedure: the whole start-up, before the window
    // shows.
    void Form_Load();
    // The close request: one pass of event dispatch; a close is never refused.
    void Form_QueryUnload();
    // The unload: closes the MIDI output, dispatches twice and ends the program.
    void Form_Unload();

    Services services_;
    MidiState state_;
    std::unique_ptr<Form1> window_;
    std::unique_ptr<SwitchableOutput> output_;
    std::unique_ptr<MidiPort> port_;
    std::unique_ptr<Pause> pause_;
    std::unique_ptr<AccessibleNames> accessibleNames_;
    std::unique_ptr<NoteKeys> noteKeys_;
    std::unique_ptr<PatchNames> patchNames_;
    std::unique_ptr<SettingsPanel> panel_;
    std::unique_ptr<OutputChoice> outputChoice_;
    std::optional<QCursor> customPointer_;
    bool ended_ = false;
};
