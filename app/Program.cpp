#include "app/Program.h"

#include "keyboard/AccessibleNames.h"
#include "keyboard/MainWindow.h"
#include "keyboard/NoteKeys.h"
#include "keyboard/OutputMenu.h"
#include "keyboard/SettingBar.h"
#include "keyboard/SettingBars.h"
#include "keyboard/SettingsPanel.h"
#include "keyboard/WindowPointer.h"
#include "midi/MidiPort.h"
#include "midi/OutputChoice.h"
#include "midi/PatchNames.h"
#include "midi/SwitchableOutput.h"
#include "shell/Pause.h"
#include "shell/SettingsStore.h"

#include <QLabel>

Program::Program(Services services) : services_(std::move(services)) {
    window_ = std::make_unique<Form1>();
    output_ = std::make_unique<SwitchableOutput>(*services_.midiOut);
    port_ = std::make_unique<MidiPort>(state_, *output_, *services_.errorReporter);
    pause_ = std::make_unique<Pause>(*services_.clock);
    accessibleNames_ = std::make_unique<AccessibleNames>(window_->ui(), state_);
    noteKeys_ =
        std::make_unique<NoteKeys>(*port_, *pause_, *services_.errorReporter, *services_.noticeBox);
    patchNames_ = std::make_unique<PatchNames>(
        state_, *services_.errorReporter, services_.programFolder, [this](const QString& name) {
            setCaption(window_->ui().lblPatch, name);
            accessibleNames_->refresh();
        });
    panel_ = std::make_unique<SettingsPanel>(window_->ui(), *port_, *patchNames_,
                                             *services_.settings, *services_.errorReporter);
    outputChoice_ = std::make_unique<OutputChoice>(*port_, *output_, services_.midiPorts.get(),
                                                   *services_.settings, *services_.errorReporter);
    // A port that went away is left before the next message, which then sounds.
    port_->setBeforeSend([this] { outputChoice_->fallBackIfLost(); });
    wire();
}

Program::~Program() {
    // The window goes first: nothing it sends may reach the parts below.
    window_.reset();
}

void Program::wire() {
    Form1* window = window_.get();
    // Every notification is dropped once the program has ended.
    auto live = [this](auto handler) {
        return [this, handler](auto... args) {
            if (!ended_)
                handler(args...);
        };
    };
    QObject::connect(window, &Form1::keyPressed, window,
                     live([this](char16_t code) { noteKeys_->Form_KeyPress(code); }));
    QObject::connect(window, &Form1::noteButtonClicked, window,
                     live([this](int index) { noteKeys_->PushButton1_Click(index); }));

    wireWindowPointer(*window, customPointer_);

    Form1Layout& ui = window->ui();
    for (const SettingBarRow& row : SettingBars) {
        SettingBar* bar = ui.*row.bar;
        QObject::connect(
            bar, &SettingBar::userChanged, window,
            live([this, handler = row.userChanged](int) { (panel_.get()->*handler)(); }));
        // After the bar's own procedure, which may have changed the notes.
        QObject::connect(bar, &SettingBar::valueChanged, window,
                         [this] { accessibleNames_->refresh(); });
    }
    QObject::connect(window, &Form1::outputMenuRequested, window,
                     live([this](const QPoint& at) { openOutputMenu(at); }));

    window->onQueryUnload = [this] {
        // The close runs inside whatever wait was going on, so no waiting note
        // may finish from here on.
        pause_->stop();
        if (!ended_)
            Form_QueryUnload();
    };
    window->onUnload = [this] {
        if (!ended_)
            Form_Unload();
    };
}

void Program::openOutputMenu(const QPoint& globalPosition) {
    popUpOutputMenu(
        window_.get(), outputChoice_->outputNames(), outputChoice_->current(),
        [this](const QString& name) {
            if (!ended_)
                outputChoice_->choose(name);
        },
        globalPosition, outputChoice_->takeNotice());
}

void Program::start() {
    // The output must be known before the start-up opens it.
    outputChoice_->restore();
    Form_Load();
    accessibleNames_->refresh();
    window_->centreOnScreen();
    window_->show();
    window_->ui().HScrollMIDIChannel->setFocus(Qt::OtherFocusReason);
}

void Program::end() {
    ended_ = true;
    pause_->stop();
    if (services_.endProgram)
        services_.endProgram();
}
