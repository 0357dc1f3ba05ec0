#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFile;

// Every file the program takes from outside (its settings, the pointer, the
// skin and what the skin names, the instrument names) is opened here and only
// when it is an ordinary file: a pipe, a device or a folder is refused at once
// instead of being waited on or read without end.

enum class FileOpening {
    Opened,  // an ordinary file, open for reading
    Missing, // nothing at the path (a dangling link included)
    Refused, // there, but no ordinary file, or not readable
};

// Opens `path` in `file` for reading (unbuffered) when it is an ordinary file;
// links are followed. Never waits for a writer or a device.
FileOpening openRegularFile(QFile& file, const QString& path);

// Whether `path` names an ordinary file (links followed), without opening it.
bool isRegularFile(const QString& path);

// Reads from `file` up to `maxBytes` plus one byte, so that a result longer than
// `maxBytes` tells a file that is too large. Memory grows with what is read,
// not with the limit. Nothing when reading fails.
std::optional<QByteArray> readAtMost(QFile& file, qint64 maxBytes);
