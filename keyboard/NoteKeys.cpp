#include "keyboard/NoteKeys.h"

#include "keyboard/Form1Layout.h"
#include "midi/MidiPort.h"
#include "shell/CheckedInt.h"
#include "shell/ErrorReport.h"
#include "shell/ErrorTrap.h"
#include "shell/NoticeBox.h"
#include "shell/Pause.h"

void NoteKeys::Form_KeyPress(char16_t keyAscii) {
    ErrorTrap trap(reporter_, locationTag("Form1", "Form_KeyPress"));
    if (trap.test(100, [&] { return keyAscii >= 65 && keyAscii <= 90; })) {
        trap.step(102, [&] { PushButton1_Click(keyAscii - 65); });
    } else if (trap.test(104, [&] { return keyAscii >= 97 && keyAscii <= 122; })) {
        trap.step(106, [&] { PushButton1_Click(keyAscii - 97); });
    }
}

void NoteKeys::PushButton1_Click(int index) {
    ErrorTrap trap(reporter_, locationTag("Form1", "PushButton1_Click"));
    // The output wakes during the wait, so the note is on time.
    if (index != Form1Layout::QuestionButton)
        port_.prepareForNote();
    // The rest of the procedure runs when the wait is over; whatever the user
    // does meanwhile is handled in the meantime.
    trap.step(100, [&] { pause_.wait(Delay, [this, index] { afterPause(index); }); });
}

void NoteKeys::afterPause(int index) {
    ErrorTrap trap(reporter_, locationTag("Form1", "PushButton1_Click"));
    MidiState& state = port_.state();
    if (trap.test(102, [&] { return index == Form1Layout::QuestionButton; })) {
        trap.step(104, [&] { notices_.showNotice(questionMessage()); });
    } else {
        trap.step(106, [&] { state.midiStatus = checkedInt16(144LL + state.currentChannel); });
        trap.step(108, [&] { state.midiData2 = state.currentVolume; });
        trap.step(110, [&] {
            state.midiData1 = checkedInt16(
                index + static_cast<long long>(state.channelBaseNote[state.currentChannel]));
        });
        trap.step(112, [&] { port_.SendMidiOut(); });
    }
}

QString NoteKeys::questionMessage() {
    return QStringLiteral("Please email ") + QLatin1String(SupportAddress) +
           QStringLiteral(" if you would like the interface to be changed.") + QChar(u'\r') +
           QStringLiteral("Instead of A-Z scale, I might be able to do FACE EGBDF or other "
                          "suggestions.");
}
