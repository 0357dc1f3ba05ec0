#include "keyboard/SettingBar.h"

#include "shell/Failure.h"

#include <QKeyEvent>
#include <QMouseEvent>

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

bool SettingBar::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        mousePressed_ = true;
        break;
    case QEvent::MouseButtonRelease:
        mousePressed_ = false;
        break;
    case QEvent::WindowBlocked:
        // The release will go to the box, not to the bar.
        endPress();
        dropKeyRepeats_ = true;
        break;
    default:
        break;
    }
    return QScrollBar::event(event);
}

void SettingBar::endPress() {
    setRepeatAction(SliderNoAction);
    if (!mousePressed_)
        return;
    mousePressed_ = false;
    // The scroll bar forgets its pressed arrow, trough or thumb only on a release.
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(-1, -1), QPointF(-1, -1),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QScrollBar::mouseReleaseEvent(&release);
}

void SettingBar::keyPressEvent(QKeyEvent* event) {
    if (event->isAutoRepeat() && dropKeyRepeats_) {
        event->accept();
        return;
    }
    dropKeyRepeats_ = false;
    QScrollBar::keyPressEvent(event);
}

void SettingBar::keyReleaseEvent(QKeyEvent* event) {
    if (!event->isAutoRepeat())
        dropKeyRepeats_ = false;
    QScrollBar::keyReleaseEvent(event);
}
