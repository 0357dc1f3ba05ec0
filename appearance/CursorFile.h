#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>

// The picture of a Windows cursor file and the point of it that aims.
struct CursorPicture {
    QImage image; // ARGB32, transparent where the cursor shows the screen
    QPoint hotSpot;
};

// Largest cursor file read, in bytes, and largest picture side, in pixels.
inline constexpr qint64 MaxCursorFileSize = 1024 * 1024;
inline constexpr int MaxCursorSide = 256;

// Decodes the contents of a cursor file (".cur"): a directory of one or more
// pictures, each with its hot spot, stored as PNG or as a device-independent
// bitmap of 1, 4, 8, 24 or 32 bits per pixel followed by its transparency
// mask. Of several pictures the one of 32 pixels square is taken, otherwise
// the first. A hot spot outside the picture is moved to its nearest edge.
// Fails with "Invalid picture" for anything else, including every size or
// offset that points outside the data.
CursorPicture decodeCursorFile(const QByteArray& bytes);
