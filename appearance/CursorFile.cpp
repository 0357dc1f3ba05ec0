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

// The header of a device-independent bitmap, checked.
struct BitmapHeader {
    qint64 size; // the colour table or the colour rows follow it
    int width;
    int height; // of the picture: the colour rows, and after them as many mask rows
    int bits;   // per pixel
    quint32 coloursUsed;
};

BitmapHeader readBitmapHeader(const Bytes& image) {
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
    return {headerSize, width, doubleHeight / 2, bits, coloursUsed};
}

// The colour table after the header, for 8 bits per pixel or fewer; none for
// more.
std::vector<QRgb> readPalette(const Bytes& image, const BitmapHeader& header) {
    std::vector<QRgb> palette;
    if (header.bits > 8)
        return palette;
    const quint32 most = 1u << header.bits;
    const quint32 count = header.coloursUsed == 0 ? most : header.coloursUsed;
    if (count > most)
        invalid();
    const Bytes table = image.slice(header.size, static_cast<qint64>(count) * 4);
    for (quint32 i = 0; i < count; ++i)
        palette.push_back(opaque(table.u8(i * 4), table.u8(i * 4 + 1), table.u8(i * 4 + 2)));
    return palette;
}

// The colour of pixel `x` of the colour row that begins at `row`.
QRgb pixelAt(const Bytes& colours, qint64 row, int x, int bits, const std::vector<QRgb>& palette) {
    switch (bits) {
    case 32: {
        const qint64 p = row + x * 4;
        return qRgba(colours.u8(p + 2), colours.u8(p + 1), colours.u8(p), colours.u8(p + 3));
    }
    case 24: {
        const qint64 p = row + x * 3;
        return opaque(colours.u8(p), colours.u8(p + 1), colours.u8(p + 2));
    }
    default: {
        const qint64 bit = static_cast<qint64>(x) * bits;
        const int shift = 8 - bits - static_cast<int>(bit % 8);
        const unsigned index = (colours.u8(row + bit / 8) >> shift) & ((1u << bits) - 1);
        if (index >= palette.size())
            invalid();
        return palette[index];
    }
    }
}

// Fills `picture` from the colour rows, which are stored bottom-up.
void readColours(QImage& picture, const Bytes& colours, qint64 stride, int bits,
                 const std::vector<QRgb>& palette) {
    const int height = picture.height();
    for (int y = 0; y < height; ++y) {
        const qint64 row = static_cast<qint64>(height - 1 - y) * stride;
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            line[x] = pixelAt(colours, row, x, bits, palette);
    }
}

// Whether a 32-bit picture carries an alpha channel: some pixel that is not
// wholly transparent.
bool hasAlphaChannel(const QImage& picture) {
    for (int y = 0; y < picture.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (qAlpha(line[x]) != 0)
                return true;
    }
    return false;
}

// Makes the picture transparent where the mask, stored bottom-up, has a set
// bit: there the screen shows. Where a set mask bit meets a colour other than
// black the screen would be inverted; that is drawn as opaque black so the
// outline stays visible.
void applyMask(QImage& picture, const Bytes& mask, qint64 stride) {
    const int height = picture.height();
    for (int y = 0; y < height; ++y) {
        const qint64 row = static_cast<qint64>(height - 1 - y) * stride;
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
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

// A bitmap: its header, its colour table, its colour rows, its mask rows.
QImage decodeBitmap(const Bytes& image) {
    const BitmapHeader header = readBitmapHeader(image);
    const std::vector<QRgb> palette = readPalette(image, header);
    const qint64 at = header.size + static_cast<qint64>(palette.size()) * 4;
    const qint64 colourStride = rowStride(header.width, header.bits);
    const Bytes colours = image.slice(at, colourStride * header.height);
    const qint64 maskStride = rowStride(header.width, 1);
    const Bytes mask = image.slice(at + colours.size(), maskStride * header.height);

    QImage picture(header.width, header.height, QImage::Format_ARGB32);
    if (picture.isNull())
        invalid();
    readColours(picture, colours, colourStride, header.bits, palette);
    // A 32-bit picture with an alpha channel carries its own transparency;
    // otherwise the mask tells it.
    if (header.bits != 32 || !hasAlphaChannel(picture))
        applyMask(picture, mask, maskStride);
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
