#include "app/Program.h"

#include "app/Skin.h"
#include "appearance/AppIcon.h"
#include "appearance/AppTitle.h"
#include "appearance/HandCursor.h"
#include "keyboard/MainWindow.h"
#include "keyboard/SettingBar.h"
#include "keyboard/SettingBars.h"
#include "midi/MidiPort.h"
#include "midi/PatchNames.h"
#include "shell/ErrorTrap.h"
#include "shell/FileExists.h"
#include "shell/HomePage.h"
#include "shell/NumberText.h"
#include "shell/SettingsStore.h"

#include <QPushButton>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

namespace {

// The bars restored from the settings store, in the order they are read.
std::array<const SettingBarRow*, Form1Layout::BarCount> storedBarsInReadingOrder() {
    std::array<const SettingBarRow*, Form1Layout::BarCount> rows{};
    std::transform(std::begin(SettingBars), std::end(SettingBars), rows.begin(),
                   [](const SettingBarRow& row) { return &row; });
    std::sort(rows.begin(), rows.end(), [](const SettingBarRow* a, const SettingBarRow* b) {
        return a->startUpLine < b->startUpLine;
    });
    return rows;
}

// What the MIDI state starts with for a bar: where the bar stands as the window
// is made.
std::int16_t startOf(SettingBar* Form1Layout::*bar) {
    return static_cast<std::int16_t>(settingBarRow(bar).startValue);
}

} // namespace

void Program::Form_Load() {
    Services& services = services_;
    ErrorTrap trap(*services.errorReporter, locationTag("Form1", "Form_Load"));
    Form1& window = *window_;
    Form1Layout& ui = window.ui();
    MidiState& state = state_;
    const QString& folder = services.programFolder;
    const QString cursorFile = folder + QStringLiteral("/HAND-M.CUR");

    trap.step(102, [&] { ApplySkin(window, folder); });
    trap.step(104, [&] { window.setWindowTitle(QString::fromLatin1(ProductName)); });
    trap.step(104, [&] { window.setWindowIcon(appIcon()); });
    trap.step(104, [&] { SetAppTitle(); });
    if (trap.test(106, [&] { return FileExists(cursorFile); }))
        trap.step(108, [&] { customPointer_ = loadCursorFile(cursorFile); });
    trap.step(110, [&] {
        OpenHomePageSometimes(*services.clock, *services.random, *services.urlOpener,
                              homePageUrl(folder));
    });

    int code = 0;
    trap.step(130, [&] { code = 65; });
    do {
        trap.step(132, [&] {
            ui.PushButton1.at(static_cast<std::size_t>(code - 65))->setText(QChar(code));
        });
    } while (trap.advance(134, [&] { return ++code <= 90; }));

    trap.step(136, [&] { port_->MidiOutOpenPort(); });
    // The sound starts where the bars stand as the window is made; the stored
    // settings read below move only the bars.
    trap.step(138, [&] { state.currentChannel = startOf(&Form1Layout::HScrollMIDIChannel); });
    trap.step(140, [&] {
        state.channelPatch[state.currentChannel] = startOf(&Form1Layout::HScrollPatch);
    });
    trap.step(142, [&] { patchNames_->ReadPatch(); });
    port_->sendInSteps(trap, 144, ChannelMessage::ProgramChange);
    trap.step(152, [&] { state.currentVolume = startOf(&Form1Layout::HScrollVolume); });
    trap.step(154, [&] {
        state.channelVolume[state.currentChannel] = startOf(&Form1Layout::HScrollVolume);
    });
    trap.step(156,
              [&] { state.channelPan[state.currentChannel] = startOf(&Form1Layout::HScrollPan); });
    port_->sendInSteps(trap, 158, ChannelMessage::Pan);
    trap.step(166, [&] {
        state.channelBaseNote[state.currentChannel] =
            static_cast<std::int16_t>(startOf(&Form1Layout::HScrollOctave) * 12);
    });

    // Only the bars move: the MIDI state keeps the start state above until the
    // user changes a bar. A store that cannot be read at all is one fault with
    // one report, at the first read; the bars after it take their defaults, as
    // from an empty store. A bad entry is a fault of its own and reported each.
    bool storeUnreadable = false;
    for (const SettingBarRow* stored : storedBarsInReadingOrder()) {
        trap.step(stored->startUpLine, [&] {
            QString text = QString::number(stored->settingDefault);
            if (!storeUnreadable) {
                try {
                    text = services.settings->GetSetting(
                        QLatin1String(SettingsAppName), QLatin1String(SettingsSection),
                        QLatin1String(stored->key), stored->settingDefault);
                } catch (...) {
                    storeUnreadable = true;
                    throw;
                }
            }
            (ui.*stored->bar)->assignValue(ToInteger(text));
        });
    }
}
