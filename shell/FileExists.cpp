#include "shell/FileExists.h"

#include <QFileInfo>

bool FileExists(const QString& path) {
    try {
        if (path.isEmpty())
            return false;
        const QFileInfo info(path);
        return info.exists() && info.lastModified().isValid();
    } catch (...) {
        return false;
    }
}
