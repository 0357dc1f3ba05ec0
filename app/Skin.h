#pragma once

#include <QColor>
#include <QString>

class Form1;

// The system's colour for the face of buttons.
QColor buttonFaceColour();

// Applies the optional skin "x/o.cjs" below the program folder to the main
// window. Without the file (or with a folder, or on Windows a hidden or system
// file, in its place) nothing changes. Otherwise the window, its frame and its
// labels take the button-face colour, then the skin is loaded and put on the
// window. A skin that cannot be used fails (throws) after the colour changes.
void ApplySkin(Form1& window, const QString& programFolder);
