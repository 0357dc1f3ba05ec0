#pragma once

// Builds Windows cursor files byte by byte, so that tests need no binary
// fixtures, and tells which colour each pixel of them should decode to.

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QtEndian>

struct CursorSpec {
    int bits = 1; // 1, 4, 8, 24 or 32 for a bitmap; ignored for PNG
    int side = 32;
    QPoint hotSpot{5, 7};
    bool png = false;
};

namespace cursorbytes {

inline void put16(QByteArray& out, quint16 value) {
    out.append(static_cast<char>(value & 0xFF));
    out.append(static_cast<char>(value >> 8));
}
inline void put32(QByteArray& out, quint32 value) {
    put16(out, static_cast<quint16>(value & 0xFFFF));
    put16(out, static_cast<quint16>(value >> 16));
}

// Palette entry `i`: entry 0 is black, the others are distinct colours.
inline QRgb paletteColour(int i) {
    return i == 0 ? qRgb(0, 0, 0) : qRgb((i * 37) % 256, 255 - (i * 11) % 256, (i * 5) % 256);
}
inline int paletteIndex(const CursorSpec& shape, int x, int y) {
    return (x + 2 * y) % (1 << shape.bits);
}
inline QRgb directColour(int x, int y) {
    return qRgb(x * 7 % 256, y * 7 % 256, (x + y) * 3 % 256);
}
inline int alphaOf(int x, int y) {
    return (x * 8 + y) % 256;
}
// The transparency mask: set (the screen shows) in the top two rows.
inline bool masked(int, int y) {
    return y < 2;
}

// The picture as stored, before the mask is applied.
inline QRgb storedColour(const CursorSpec& shape, int x, int y) {
    if (shape.bits <= 8)
        return paletteColour(paletteIndex(shape, x, y));
    return directColour(x, y);
}

inline QImage pngPicture(int side) {
    QImage image(side, side, QImage::Format_ARGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            image.setPixel(x, y, qRgba(x * 5 % 256, y * 5 % 256, 90, (x + y) % 2 ? 255 : 0));
    return image;
}

inline QByteArray bitmapImage(const CursorSpec& shape) {
    QByteArray out;
    const int w = shape.side;
    const int h = shape.side;
    put32(out, 40);
    put32(out, static_cast<quint32>(w));
    put32(out, static_cast<quint32>(2 * h));
    put16(out, 1);
    put16(out, static_cast<quint16>(shape.bits));
    for (int i = 0; i < 6; ++i)
        put32(out, 0); // compression, image size, resolution, colours used and important
    if (shape.bits <= 8)
        for (int i = 0; i < (1 << shape.bits); ++i) {
            const QRgb c = paletteColour(i);
            out.append(static_cast<char>(qBlue(c)));
            out.append(static_cast<char>(qGreen(c)));
            out.append(static_cast<char>(qRed(c)));
            out.append('\0');
        }
    const int stride = (w * shape.bits + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) { // bottom-up
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            if (shape.bits <= 8) {
                const int bit = x * shape.bits;
                row[bit / 8] = static_cast<char>(row[bit / 8] | paletteIndex(shape, x, y)
                                                                    << (8 - shape.bits - bit % 8));
            } else {
                const QRgb c = directColour(x, y);
                const int p = x * shape.bits / 8;
                row[p] = static_cast<char>(qBlue(c));
                row[p + 1] = static_cast<char>(qGreen(c));
                row[p + 2] = static_cast<char>(qRed(c));
                if (shape.bits == 32)
                    row[p + 3] = static_cast<char>(alphaOf(x, y));
            }
        }
        out += row;
    }
    const int maskStride = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < w; ++x)
            if (masked(x, y))
                row[x / 8] = static_cast<char>(row[x / 8] | 0x80 >> (x % 8));
        out += row;
    }
    return out;
}

} // namespace cursorbytes

// The colour the decoder should give pixel (x, y) of the cursor made by `shape`.
inline QRgb expectedCursorPixel(const CursorSpec& shape, int x, int y) {
    using namespace cursorbytes;
    if (shape.png)
        return pngPicture(shape.side).pixel(x, y);
    if (shape.bits == 32)
        return qRgba(qRed(directColour(x, y)), qGreen(directColour(x, y)),
                     qBlue(directColour(x, y)), alphaOf(x, y));
    const QRgb stored = storedColour(shape, x, y);
    if (!masked(x, y))
        return stored;
    // Where the screen shows, black is see-through and other colours invert
    // the screen, which is drawn opaque black.
    return (stored & 0xFFFFFF) == 0 ? qRgba(0, 0, 0, 0) : qRgba(0, 0, 0, 255);
}

// The image data of one cursor picture.
inline QByteArray cursorImageBytes(const CursorSpec& shape) {
    if (!shape.png)
        return cursorbytes::bitmapImage(shape);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    cursorbytes::pngPicture(shape.side).save(&buffer, "PNG");
    return png;
}

// A whole cursor file holding the given pictures, in order.
inline QByteArray cursorFileBytes(const QList<CursorSpec>& pictures) {
    using namespace cursorbytes;
    QByteArray out;
    put16(out, 0);
    put16(out, 2); // a cursor
    put16(out, static_cast<quint16>(pictures.size()));
    QList<QByteArray> images;
    for (const CursorSpec& shape : pictures)
        images << cursorImageBytes(shape);
    quint32 offset = static_cast<quint32>(6 + 16 * pictures.size());
    for (qsizetype i = 0; i < pictures.size(); ++i) {
        const CursorSpec& shape = pictures[i];
        out.append(static_cast<char>(shape.side % 256));
        out.append(static_cast<char>(shape.side % 256));
        out.append('\0');
        out.append('\0');
        put16(out, static_cast<quint16>(shape.hotSpot.x()));
        put16(out, static_cast<quint16>(shape.hotSpot.y()));
        put32(out, static_cast<quint32>(images[i].size()));
        put32(out, offset);
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray& image : images)
        out += image;
    return out;
}

inline QByteArray cursorFileBytes(const CursorSpec& shape = {}) {
    return cursorFileBytes(QList<CursorSpec>{shape});
}
