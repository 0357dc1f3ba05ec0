#include "shell/HandCursor.h"

#include "shell/CursorFile.h"
#include "shell/Failure.h"
#include "shell/RegularFile.h"

#include <QFile>
#include <QPixmap>

QCursor loadCursorFile(const QString& path) {
    QFile file;
    if (openRegularFile(file, path) != FileOpening::Opened)
        throw Failure::invalidPicture();
    // One byte more than allowed tells a file that is too large.
    const std::optional<QByteArray> bytes = readAtMost(file, MaxCursorFileSize);
    if (!bytes)
        throw Failure::invalidPicture();
    const CursorPicture cursor = decodeCursorFile(*bytes);
    return QCursor(QPixmap::fromImage(cursor.image), cursor.hotSpot.x(), cursor.hotSpot.y());
}
