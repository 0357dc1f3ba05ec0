#include "keyboard/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPreview::KeyPreview(QWidget* window, std::function<void(char16_t)> onCharacter)
    : QObject(window), window_(window), onCharacter_(std::move(onCharacter)) {
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    if (qApp)
        qApp->removeEventFilter(this);
}

bool KeyPreview::isFirstReceiver(const QWidget* widget) const {
    // A key goes to the focus widget first and then, while it is ignored, up to
    // the parents; acting on the first receiver alone sees each key once.
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == window_)
        return widget == focus;
    return widget == window_;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->window() != window_ || !isFirstReceiver(widget))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts with Ctrl, Alt or Meta type no characters.
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    for (const QChar character : key->text())
        onCharacter_(character.unicode());
    return false;
}
