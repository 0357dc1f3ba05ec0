#pragma once

#include <QCursor>
#include <QString>

// Loads a Windows cursor file with its own hot spot. A file that cannot be read
// or is no cursor fails with "Invalid picture".
QCursor loadCursorFile(const QString& path);
