#pragma once

#include <QIcon>

// The program's own icon, in 32, 48, 128 and 256 pixels.
QIcon appIcon();
