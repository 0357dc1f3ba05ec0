#include "keyboard/MainWindow.h"

#include "keyboard/SettingBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

Form1::Form1(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(ClientWidth, ClientHeight);
    ui_ = Form1Layout::create(this);

    setMouseTracking(true);
    ui_.Frame1->setMouseTracking(true);
    ui_.Frame1->installEventFilter(this);
    for (int index = 0; index < Form1Layout::NoteButtonCount; ++index) {
        QPushButton* button = ui_.PushButton1[static_cast<std::size_t>(index)];
        button->setMouseTracking(true);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this,
                [this, index] { emit noteButtonClicked(index); });
    }
    // Key preview: watch every key event of the application and take those of
    // this window before its focused control does.
    qApp->installEventFilter(this);
    ui_.HScrollMIDIChannel->setFocus(Qt::OtherFocusReason);
}

Form1::~Form1() {
    if (qApp)
        qApp->removeEventFilter(this);
}

void Form1::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

bool Form1::isFirstReceiverOfKeys(const QWidget* widget) const {
    // A key event goes to the focus widget first and then, while ignored, up to
    // its parents; acting on the first receiver alone sees each key once.
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == this)
        return widget == focus;
    return widget == this;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!widget || widget->window() != this || !isFirstReceiverOfKeys(widget))
            break;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            break;
        for (const QChar character : key->text())
            emit keyPressed(character.unicode());
        break; // the control with the focus still gets the key
    }
    case QEvent::MouseMove:
        if (watched == ui_.Frame1) {
            // Only the frame's own surface, not the controls inside it.
            const auto* move = static_cast<QMouseEvent*>(event);
            if (!ui_.Frame1->childAt(move->position().toPoint()))
                emit mouseMovedOverFrame();
        } else {
            for (std::size_t i = 0; i < ui_.PushButton1.size(); ++i)
                if (watched == ui_.PushButton1[i])
                    emit mouseMovedOverNoteButton(static_cast<int>(i));
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    if (!childAt(event->position().toPoint()))
        emit mouseMovedOverWindow();
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onQueryUnload)
        onQueryUnload();
    if (onUnload)
        onUnload();
}
