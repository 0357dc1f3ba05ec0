#include "appearance/HandCursor.h"

#include "appearance/CursorFile.h"
#include "shell/Failure.h"
#include "shell/RegularFile.h"

#include <QPixmap>

QCursor loadCursorFile(const QString& path) {
    const FileContent file = readRegularFile(path, MaxCursorFileSize);
    if (file.outcome != FileReading::Read)
        throw Failure::invalidPicture();
    const CursorPicture cursor = decodeCursorFile(file.bytes);
    return QCursor(QPixmap::fromImage(cursor.image), cursor.hotSpot.x(), cursor.hotSpot.y());
}
