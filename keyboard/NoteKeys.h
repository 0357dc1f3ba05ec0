#pragma once

#include <QString>

class ErrorReporter;
class MidiPort;
class NoticeBox;
class Pause;

// The letter keys and the note buttons. Each press sounds its note half a
// second later; the wide "?" button answers with a message instead.
class NoteKeys {
public:
    static constexpr double Delay = 0.5;

    NoteKeys(MidiPort& port, Pause& pause, ErrorReporter& reporter, NoticeBox& notices)
        : port_(port), pause_(pause), reporter_(reporter), notices_(notices) {}

    void Form_KeyPress(char16_t keyAscii);
    void PushButton1_Click(int index);

    // The text of the "?" button's message.
    static QString questionMessage();

private:
    void afterPause(int index);

    MidiPort& port_;
    Pause& pause_;
    ErrorReporter& reporter_;
    NoticeBox& notices_;
};
