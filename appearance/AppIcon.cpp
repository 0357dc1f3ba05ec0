#include "appearance/AppIcon.h"

QIcon appIcon() {
    QIcon icon;
    for (const int size : {32, 48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/clavitone-%1.png").arg(size), QSize(size, size));
    return icon;
}
