#pragma once

#include <QCursor>

#include <optional>

class Form1;

// The main window's one pointer setting. It shows the custom pointer while the
// mouse moves over a note button and the default pointer over the window's own
// surface and the settings frame. The custom pointer is the picture loaded at
// start-up, read when the mouse moves so that a picture loaded after wiring
// counts; without one it is the platform's pointing hand.
void showDefaultPointer(Form1& window);
void showCustomPointer(Form1& window, const std::optional<QCursor>& picture);

// Connects the window's mouse notifications to the two settings above.
void wireWindowPointer(Form1& window, const std::optional<QCursor>& picture);
