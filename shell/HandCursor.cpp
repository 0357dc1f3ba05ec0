#include "shell/HandCursor.h"

#include "shell/Failure.h"

#include <QPixmap>

QCursor loadCursorFile(const QString& path) {
    QPixmap picture(path);
    if (picture.isNull())
        throw Failure::invalidPicture();
    return QCursor(picture);
}
