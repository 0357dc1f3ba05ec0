#pragma once
// Things other than an ordinary file put where the program reads a file: a
// pipe no one writes to, a device that never ends, a folder.

#include <QDir>
#include <QFile>
#include <QString>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

enum class Hostile { Folder, Pipe, EndlessDevice };

// Puts `kind` at `path`. False where the platform has no such thing (pipes and
// devices are made the POSIX way only).
inline bool makeHostile(const QString& path, Hostile kind) {
    switch (kind) {
    case Hostile::Folder:
        return QDir().mkpath(path);
    case Hostile::Pipe:
#ifndef Q_OS_WIN // a named pipe in the file system is a POSIX thing
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#else
        return false;
#endif
    case Hostile::EndlessDevice:
#ifndef Q_OS_WIN // /dev/zero
        return QFile::link(QStringLiteral("/dev/zero"), path);
#else
        return false;
#endif
    }
    return false;
}
