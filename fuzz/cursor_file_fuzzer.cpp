// Feeds arbitrary bytes to the cursor file reader. A picture it accepts must be
// of a size the program can show, in the promised pixel format, with its hot
// spot on the picture.

#include "appearance/CursorFile.h"
#include "shell/Failure.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CursorPicture picture;
    try {
        picture = decodeCursorFile(bytes);
    } catch (const Failure& failure) {
        require(failure.description() == QLatin1String("Invalid picture"));
        return 0;
    }
    require(!picture.image.isNull());
    require(picture.image.format() == QImage::Format_ARGB32);
    require(picture.image.width() <= MaxCursorSide && picture.image.height() <= MaxCursorSide);
    require(picture.image.rect().contains(picture.hotSpot));
    return 0;
}
