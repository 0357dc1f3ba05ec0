#include "shell/ProgramFolder.h"

#include "shell/NativeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString resolvedFolder(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

QString programFolder() {
    // By the system's own bytes where it tells them: a folder whose name is not
    // valid text would not survive the way through Qt's text.
    const QString native = nativeProgramFolder();
    if (!native.isEmpty())
        return native;
    return resolvedFolder(QCoreApplication::applicationDirPath());
}
