#include "keyboard/SettingBar.h"

#include "shell/Failure.h"

SettingBar::SettingBar(int minimum, int maximum, int pageStep, int value, QWidget* parent)
    : QScrollBar(Qt::Horizontal, parent) {
    setRange(minimum, maximum);
    setSingleStep(1);
    setPageStep(pageStep);
    setValue(value);
    // A dragged thumb changes the value only when it is released.
    setTracking(false);
    // Left and Page Down lower the value, Right and Page Up raise it.
    setInvertedControls(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int newValue) {
        if (!assigning_)
            emit userChanged(newValue);
    });
}

void SettingBar::assignValue(long long value) {
    if (value < minimum() || value > maximum())
        throw Failure::invalidPropertyValue();
    assigning_ = true;
    setValue(static_cast<int>(value));
    assigning_ = false;
}
