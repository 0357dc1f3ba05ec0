#pragma once

#include <QScrollBar>

// A horizontal scroll bar of the settings panel. Changes made by the user (an
// arrow, the trough, the release of the dragged thumb, an arrow key) emit
// userChanged; the program's own assignments through assignValue do not.
//
// One press, one change, when a modal box comes up meanwhile (an error report
// of the bar's procedure, say): the press ends there, so the arrow's or the
// trough's auto-repeat does not run on beneath the box, and the repeats of a
// key held through the box are dropped until the key is pressed afresh.
class SettingBar : public QScrollBar {
    Q_OBJECT

public:
    SettingBar(int minimum, int maximum, int pageStep, int value, QWidget* parent);

    // Moves the bar without notifying. A value outside the range fails with
    // "Invalid property value" and the bar keeps its value.
    void assignValue(long long value);

signals:
    void userChanged(int value);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void endPress();

    bool assigning_ = false;
    bool mousePressed_ = false;
    bool dropKeyRepeats_ = false;
};
