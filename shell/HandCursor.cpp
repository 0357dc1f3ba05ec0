#include "shell/HandCursor.h"

#include "shell/CursorFile.h"
#include "shell/Failure.h"

#include <QFile>
#include <QPixmap>

QCursor loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure::invalidPicture();
    // One byte more than allowed tells a file that is too large.
    const QByteArray bytes = file.read(MaxCursorFileSize + 1);
    const CursorPicture cursor = decodeCursorFile(bytes);
    return QCursor(QPixmap::fromImage(cursor.image), cursor.hotSpot.x(), cursor.hotSpot.y());
}
