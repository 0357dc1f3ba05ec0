#pragma once

#include <QString>

#include <array>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;
class SettingBar;

// The controls of the main window, named as the rest of the program knows them.
struct Form1Layout {
    static constexpr int BarCount = 5;              // described in keyboard/SettingBars.h
    static constexpr int LabelCount = 2 * BarCount; // a caption and a value label each
    static constexpr int NoteButtonCount = 27;
    static constexpr int QuestionButton = 26;

    QGroupBox* Frame1 = nullptr;
    SettingBar* HScrollPan = nullptr;
    SettingBar* HScrollPatch = nullptr;
    SettingBar* HScrollOctave = nullptr;
    SettingBar* HScrollVolume = nullptr;
    SettingBar* HScrollMIDIChannel = nullptr;
    QLabel* lblPan = nullptr;
    QLabel* lblPatch = nullptr;
    QLabel* lblOctave = nullptr;
    QLabel* lblVolume = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* lblChannel = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label1 = nullptr;
    std::array<QPushButton*, NoteButtonCount> PushButton1{};

    // Creates every control on `window` with its design values.
    static Form1Layout create(QWidget* window);

    // The value and caption labels, in creation order.
    std::array<QLabel*, LabelCount> labels() const;
    // The controls that take the focus, in tab order.
    std::array<QWidget*, BarCount + NoteButtonCount> tabOrder() const;
};

// Sets a label's caption as plain text and lets the label grow to fit it.
void setCaption(QLabel* label, const QString& caption);
