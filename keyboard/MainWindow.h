#pragma once

#include "keyboard/Form1Layout.h"

#include <QWidget>

#include <functional>

// The main window: a white, fixed-size window holding the settings frame and the
// note buttons. It turns the window system's events into the program's
// notifications; what they do is decided by the procedures wired to them.
class Form1 : public QWidget {
    Q_OBJECT

public:
    static constexpr int ClientWidth = 304;  // 4560 twips
    static constexpr int ClientHeight = 436; // 6540 twips

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    Form1Layout& ui() { return ui_; }
    const Form1Layout& ui() const { return ui_; }

    void centreOnScreen();

    // Run, in this order, when the window closes; a close is never refused.
    std::function<void()> onQueryUnload;
    std::function<void()> onUnload;

signals:
    // Every typed character, seen before the control with the focus gets it.
    void keyPressed(char16_t code);
    void noteButtonClicked(int index);
    void mouseMovedOverWindow();
    void mouseMovedOverFrame();
    void mouseMovedOverNoteButton(int index);
    // A right-click on the window's own surface, or the Menu key or Shift+F10
    // anywhere in the window: the "MIDI Output" menu is wanted at that point.
    void outputMenuRequested(const QPoint& globalPosition);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    bool asksForMenuByKey(QObject* watched, QEvent* event);

    Form1Layout ui_;
};
