#pragma once

#include <QString>

class Form1;

// Applies the optional skin "x/o.cjs" below the program folder to the main
// window. Without the file nothing changes. A skin that cannot be used fails
// (throws) after the colour changes that come before it.
void ApplySkin(Form1& window, const QString& programFolder);
