#include "keyboard/MainWindow.h"

#include "keyboard/KeyPreview.h"
#include "keyboard/SettingBar.h"
#include "keyboard/SettingBars.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
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
    for (const SettingBarRow& row : SettingBars)
        (ui_.*row.bar)->installEventFilter(this);
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

bool Form1::asksForMenuByKey(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    bool asks = false;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        asks = key->key() == Qt::Key_Menu ||
               (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier);
    } else if (event->type() == QEvent::ContextMenu) {
        // The keyboard's own request; the scroll bars' mouse menu stays theirs.
        asks = static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard;
    }
    if (asks)
        emit outputMenuRequested(widget->mapToGlobal(widget->rect().center()));
    return asks;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (asksForMenuByKey(watched, event))
        return true;
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

void Form1::contextMenuEvent(QContextMenuEvent* event) {
    // The controls are not the window's surface: a right-click on a note button
    // opens nothing.
    for (QWidget* child = childAt(event->pos()); child; child = child->parentWidget())
        if (qobject_cast<QAbstractButton*>(child) || qobject_cast<QAbstractSlider*>(child)) {
            event->ignore();
            return;
        }
    event->accept();
    emit outputMenuRequested(event->globalPos());
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    if (onQueryUnload)
        onQueryUnload();
    if (onUnload)
        onUnload();
}
