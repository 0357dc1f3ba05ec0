#include "appearance/CursorFile.h"

#include "shell/Failure.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr qint64 DirectorySize = 6;
constexpr qint64 EntrySize = 16;
constexpr quint16 CursorType = 2;
constexpr quint32 BitmapInfoSize = 40;
constexpr int PreferredSide = 32;

[[noreturn]] void invalid() {
    throw Failure::invalidPicture();
}

// Little-endian reads inside a bounded view; a read past its end fails.
class Bytes {
public:
    Bytes(const char* data, qint64 size) : data_(data), size_(size) {}

    qint64 size() const { return size_; }
    const char* data() const { return data_; }

    Bytes slice(qint64 offset, qint64 length) const {
        if (offset < 0 || length < 0 || offset > size_ || length > size_ - offset)
            invalid();
        return Bytes(data_ + offset, length);
    }
    quint8 u8(qint64 at) const { return static_cast<quint8>(slice(at, 1).data_[0]); }
    quint16 u16(qint64 at) const { return static_cast<quint16>(u8(at) | u8(at + 1) << 8); }
    quint32 u32(qint64 at) const {
        return static_cast<quint32>(u16(at)) | static_cast<quint32>(u16(at + 2)) << 16;
    }
    qint32 i32(qint64 at) const { return static_cast<qint32>(u32(at)); }

private:
    const char* data_;
    qint64 size_;
};

struct Entry {
    int width; // as the directory gives it; 0 stands for 256
    int height;
    QPoint hotSpot;
    Bytes image;
};

// Bytes per row of a bitmap: rows are padded to whole 32-bit words.
qint64 rowStride(qint64 width, int bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

QRgb opaque(quint8 blue, quint8 green, quint8 red) {
    return qRgba(red, green, blue, 255);
}

QImage decodeBitmap(const Bytes& image) {
    const quint32 headerSize = image.u32(0);
    const qint32 width = image.i32(4);
    const qint32 doubleHeight = image.i32(8); // the colour rows and the mask rows
    const quint16 planes = image.u16(12);
    const int bits = image.u16(14);
    const quint32 compression = image.u32(16);
    const quint32 coloursUsed = image.u32(32);
    if (headerSize < BitmapInfoSize || headerSize > static_cast<quint32>(image.size()))
        invalid();
    if (width <= 0 || width > MaxCursorSide || doubleHeight <= 0 || doubleHeight % 2 != 0 ||
        doubleHeight / 2 > MaxCursorSide || planes != 1 || compression != 0)
        invalid();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        invalid();
    const int height = doubleHeight / 2;

    std::vector<QRgb> palette;
    qint64 at = headerSize;
    if (bits <= 8) {
        const quint32 most = 1u << bits;
        const quint32 count = coloursUsed == 0 ? most : coloursUsed;
        if (count > most)
            invalid();
        const Bytes table = image.slice(at, static_cast<qint64>(count) * 4);
        for (quint32 i = 0; i < count; ++i)
            palette.push_back(opaque(table.u8(i * 4), table.u8(i * 4 + 1), table.u8(i * 4 + 2)));
        at += table.size();
    }
    const qint64 colourStride = rowStride(width, bits);
    const Bytes colours = image.slice(at, colourStride * height);
    const qint64 maskStride = rowStride(width, 1);
    const Bytes mask = image.slice(at + colours.size(), maskStride * height);

    QImage picture(width, height, QImage::Format_ARGB32);
    if (picture.isNull())
        invalid();
    bool hasAlpha = false;
    for (int y = 0; y < height; ++y) {
        // Rows are stored bottom-up.
        const qint64 row = static_cast<qint64>(height - 1 - y) * colourStride;
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            switch (bits) {
            case 32: {
                const qint64 p = row + x * 4;
                line[x] =
                    qRgba(colours.u8(p + 2), colours.u8(p + 1), colours.u8(p), colours.u8(p + 3));
                hasAlpha = hasAlpha || colours.u8(p + 3) != 0;
                break;
            }
            case 24: {
                const qint64 p = row + x * 3;
                line[x] = opaque(colours.u8(p), colours.u8(p + 1), colours.u8(p + 2));
                break;
            }
            default: {
                const qint64 bit = static_cast<qint64>(x) * bits;
                const int shift = 8 - bits - static_cast<int>(bit % 8);
                const unsigned index = (colours.u8(row + bit / 8) >> shift) & ((1u << bits) - 1);
                if (index >= palette.size())
                    invalid();
                line[x] = palette[index];
                break;
            }
            }
        }
    }
    // A 32-bit picture with an alpha channel carries its own transparency;
    // otherwise the mask tells it: a set bit shows the screen. Where a set mask
    // bit meets a colour other than black the screen would be inverted; that is
    // drawn as opaque black so the outline stays visible.
    if (!hasAlpha) {
        for (int y = 0; y < height; ++y) {
            const qint64 row = static_cast<qint64>(height - 1 - y) * maskStride;
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const bool screen = (mask.u8(row + x / 8) >> (7 - x % 8)) & 1;
                if (!screen)
                    line[x] = qRgba(qRed(line[x]), qGreen(line[x]), qBlue(line[x]), 255);
                else if ((line[x] & 0xFFFFFF) == 0)
                    line[x] = qRgba(0, 0, 0, 0);
                else
                    line[x] = qRgba(0, 0, 0, 255);
            }
        }
    }
    return picture;
}

QImage decodePicture(const Bytes& image) {
    static const char PngSignature[] = "\x89PNG\r\n\x1a\n";
    if (image.size() >= 8 && std::equal(PngSignature, PngSignature + 8, image.data())) {
        QImage picture;
        if (!picture.loadFromData(reinterpret_cast<const uchar*>(image.data()),
                                  static_cast<int>(image.size()), "PNG"))
            invalid();
        if (picture.width() > MaxCursorSide || picture.height() > MaxCursorSide)
            invalid();
        return picture.convertToFormat(QImage::Format_ARGB32);
    }
    return decodeBitmap(image);
}

} // namespace

CursorPicture decodeCursorFile(const QByteArray& bytes) {
    if (bytes.size() > MaxCursorFileSize)
        invalid();
    const Bytes file(bytes.constData(), bytes.size());
    if (file.u16(0) != 0 || file.u16(2) != CursorType)
        invalid();
    const int count = file.u16(4);
    if (count == 0)
        invalid();

    std::vector<Entry> entries;
    for (int i = 0; i < count; ++i) {
        const Bytes entry = file.slice(DirectorySize + i * EntrySize, EntrySize);
        const int width = entry.u8(0) == 0 ? 256 : entry.u8(0);
        const int height = entry.u8(1) == 0 ? 256 : entry.u8(1);
        const QPoint hotSpot(entry.u16(4), entry.u16(6));
        entries.push_back({width, height, hotSpot, file.slice(entry.u32(12), entry.u32(8))});
    }
    const auto preferred = std::find_if(entries.begin(), entries.end(), [](const Entry& e) {
        return e.width == PreferredSide && e.height == PreferredSide;
    });
    const Entry& chosen = preferred != entries.end() ? *preferred : entries.front();

    CursorPicture cursor;
    cursor.image = decodePicture(chosen.image);
    cursor.hotSpot = QPoint(std::min(chosen.hotSpot.x(), cursor.image.width() - 1),
                            std::min(chosen.hotSpot.y(), cursor.image.height() - 1));
    return cursor;
}
