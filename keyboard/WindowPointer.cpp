#include "keyboard/WindowPointer.h"

#include "keyboard/MainWindow.h"

void showDefaultPointer(Form1& window) {
    window.unsetCursor();
}

void showCustomPointer(Form1& window, const std::optional<QCursor>& picture) {
    window.setCursor(picture ? *picture : QCursor(Qt::PointingHandCursor));
}

void wireWindowPointer(Form1& window, const std::optional<QCursor>& picture) {
    Form1* target = &window;
    const std::optional<QCursor>* custom = &picture;
    QObject::connect(target, &Form1::mouseMovedOverWindow, target,
                     [target] { showDefaultPointer(*target); });
    QObject::connect(target, &Form1::mouseMovedOverFrame, target,
                     [target] { showDefaultPointer(*target); });
    QObject::connect(target, &Form1::mouseMovedOverNoteButton, target,
                     [target, custom](int) { showCustomPointer(*target, *custom); });
}
