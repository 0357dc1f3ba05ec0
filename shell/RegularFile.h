#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

// Every file the program takes from outside (its settings, the pointer, the
// skin and what the skin names, the instrument names) is opened here and only
// when it is an ordinary file: a pipe, a device or a folder is refused at once
// instead of being waited on or read without end. Links are followed.

enum class FileOpening {
    Opened,  // an ordinary file, open for reading
    Missing, // nothing at the path (a dangling link included)
    Refused, // there, but no ordinary file, or not readable
};

// What reading a whole file gave.
enum class FileReading {
    Read,     // all of it, within the limit
    Missing,  // nothing at the path (a dangling link included)
    Refused,  // there, but no ordinary file, not readable, or a read failed
    TooLarge, // more than the limit
};

struct FileContent {
    FileReading outcome;
    QByteArray bytes; // the file's bytes when it was read; empty otherwise
};

// Reads the ordinary file at `path` when it holds at most `maxBytes` bytes.
// One byte more than that is read to tell a file that is too large; memory
// grows with what is read, not with the limit.
FileContent readRegularFile(const QString& path, qint64 maxBytes);

// Opens the ordinary file at `path` for a reader that takes it a piece at a
// time (unbuffered; the reader buffers for itself). Null when it is missing or
// refused. Never waits for a writer or a device.
std::unique_ptr<QIODevice> openRegularFile(const QString& path);

// Whether the file at `path` could be read: it is opened and closed again.
FileOpening checkRegularFile(const QString& path);

// Whether `path` names an ordinary file, without opening it.
bool isRegularFile(const QString& path);

// Whether a lookup of the files a user puts beside the program finds `path`:
// an ordinary file and, on Windows, neither hidden nor a system file.
bool isVisibleRegularFile(const QString& path);
