#pragma once

#include <QScrollBar>

// A horizontal scroll bar of the settings panel. Changes made by the user (an
// arrow, the trough, the release of the dragged thumb, an arrow key) emit
// userChanged; the program's own assignments through assignValue do not.
class SettingBar : public QScrollBar {
    Q_OBJECT

public:
    SettingBar(int minimum, int maximum, int pageStep, int value, QWidget* parent);

    // Moves the bar without notifying. A value outside the range fails with
    // "Invalid property value" and the bar keeps its value.
    void assignValue(long long value);

signals:
    void userChanged(int value);

private:
    bool assigning_ = false;
};
