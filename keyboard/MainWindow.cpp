#include "keyboard/MainWindow.h"

#include "keyboard/KeyPreview.h"
#include "keyboard/SettingBar.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
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
    new KeyPreview(this, [this](char16_t code) { emit keyPressed(code); });
    ui_.HScrollMIDIChannel->setFocus(Qt::OtherFocusReason);
}

Form1::~Form1() = default;

void Form1::centreOnScreen() {
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseMove)
        return QWidget::eventFilter(watched, event);
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
