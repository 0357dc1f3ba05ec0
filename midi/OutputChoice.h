#pragma once

#include <QString>
#include <QStringList>

class ErrorReporter;
class MidiPort;
class MidiPortCatalogue;
class SettingsStore;
class SwitchableOutput;

// Which MIDI output the program plays through: the built-in synthesiser or one
// of the system's ports. The choice is kept under "MidiOut" in the settings
// store and comes back at the next start.
class OutputChoice {
public:
    static constexpr char BuiltInName[] = "Built-in synthesiser";
    static constexpr char SettingsKey[] = "MidiOut";

    // `port` sends through `output`. catalogue may be null: then the built-in
    // synthesiser is the only output.
    OutputChoice(MidiPort& port, SwitchableOutput& output, MidiPortCatalogue* catalogue,
                 SettingsStore& store, ErrorReporter& reporter)
        : port_(port), output_(output), catalogue_(catalogue), store_(store), reporter_(reporter) {}

    // The built-in synthesiser first, then every port the system has now.
    QStringList outputNames() const;
    const QString& current() const { return current_; }

    // Before the output is opened at start-up: takes the stored choice. A
    // missing, unreadable or unknown one means the built-in synthesiser, quietly.
    void restore();

    // The user's choice: stores it, closes the output in use, opens the chosen
    // one at once and sends it the current channel's program and pan, so that
    // it sounds as the old one did. A port that has gone meanwhile changes
    // nothing.
    void choose(const QString& name);

    // Before a send: when the chosen port went away, the built-in synthesiser
    // takes over at once, opened and given the current channel's program and
    // pan, so the note about to be sent sounds. Nothing is reported then (the
    // player is playing); the output menu says it later (takeNotice()).
    void fallBackIfLost();
    // What the output menu says once about a port that went away; empty when
    // there is nothing to say. Reading it clears it.
    QString takeNotice();

private:
    MidiPort& port_;
    SwitchableOutput& output_;
    MidiPortCatalogue* catalogue_;
    SettingsStore& store_;
    ErrorReporter& reporter_;
    QString current_ = QString::fromLatin1(BuiltInName);
    QString notice_;
};
