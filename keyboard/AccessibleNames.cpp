#include "keyboard/AccessibleNames.h"

#include "keyboard/Form1Layout.h"
#include "keyboard/SettingBar.h"
#include "keyboard/SettingBars.h"
#include "midi/MidiState.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>

QString noteName(int midiNote) {
    static const char* const Names[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};
    const int octave = (midiNote >= 0 ? midiNote / 12 : (midiNote - 11) / 12) - 1;
    const int step = ((midiNote % 12) + 12) % 12;
    return QLatin1String(Names[step]) + QString::number(octave);
}

namespace {

// Renames a control and tells a listening screen reader, only when the name
// really changes.
void rename(QWidget* control, const QString& name) {
    if (control->accessibleName() == name)
        return;
    control->setAccessibleName(name);
    QAccessibleEvent event(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

} // namespace

AccessibleNames::AccessibleNames(Form1Layout& ui, const MidiState& state) : ui_(ui), state_(state) {
    for (const SettingBarRow& row : SettingBars)
        (ui_.*row.bar)->setAccessibleDescription(QLatin1String(row.description));
    for (int index = 0; index < Form1Layout::QuestionButton; ++index)
        ui_.PushButton1[static_cast<std::size_t>(index)]->setAccessibleDescription(
            QStringLiteral("Letter key %1").arg(QChar(u'A' + index)));
    ui_.PushButton1[Form1Layout::QuestionButton]->setAccessibleDescription(
        QStringLiteral("Tells how to ask for another key layout"));
}

void AccessibleNames::refresh() {
    for (const SettingBarRow& row : SettingBars) {
        SettingBar* bar = ui_.*row.bar;
        const SpokenBarName& spoken = row.spokenName;
        // The instrument is the one the label shows, whose name comes from the
        // instrument names file.
        const QString value = spoken.fromValueLabel ? (ui_.*row.valueLabel.label)->text()
                                                    : QString::number(bar->value() + spoken.offset);
        rename(bar, QString::fromLatin1(spoken.name).arg(value));
    }

    int baseNote = 0;
    if (state_.currentChannel >= 0 && state_.currentChannel < ChannelTable::Size)
        baseNote = state_.channelBaseNote[state_.currentChannel];
    for (int index = 0; index < Form1Layout::QuestionButton; ++index)
        rename(ui_.PushButton1[static_cast<std::size_t>(index)],
               QStringLiteral("Note ") + noteName(baseNote + index));
    rename(ui_.PushButton1[Form1Layout::QuestionButton], QStringLiteral("Other key layouts"));
}
