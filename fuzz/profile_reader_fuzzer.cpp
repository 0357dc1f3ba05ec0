// Feeds arbitrary bytes to the profile reader as the contents of PATCH.INI.
// The first byte picks the cap on bytes per line, so that over-long lines come
// up in small inputs; the rest is the file.

#include "shell/ProfileReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

const QString Section = QStringLiteral("General MIDI");
const QString Default = QStringLiteral("(none)");

QString lookUp(const QByteArray& file, const QString& key, int maxLength, qsizetype lineCap) {
    QByteArray copy = file;
    QBuffer buffer(&copy);
    if (!buffer.open(QIODevice::ReadOnly))
        std::abort();
    return readProfileStringWithLineCap(buffer, Section, key, Default, maxLength, lineCap);
}

void require(bool condition) {
    if (!condition)
        std::abort();
}

// What a value must look like whatever the file held.
void checkValue(const QString& value, int maxLength) {
    if (value == Default)
        return;
    require(value.size() <= maxLength);
    require(!value.contains(QChar(0)));
    require(QStringView(value).isValidUtf16());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    // 0 stands for the real cap; otherwise a cap of 1 to 255 bytes.
    const qsizetype lineCap = data[0] == 0 ? MaxProfileLineBytes : data[0];
    const QByteArray file(reinterpret_cast<const char*>(data + 1),
                          static_cast<qsizetype>(size - 1));

    for (const QString& key : {QStringLiteral(" 0"), QStringLiteral(" 127"), QStringLiteral("a")}) {
        const QString cut = lookUp(file, key, MaxProfileValueLength, lineCap);
        checkValue(cut, MaxProfileValueLength);
        // A short limit gives the head of the long result, never half a pair.
        const QString whole = lookUp(file, key, 1 << 20, lineCap);
        checkValue(whole, 1 << 20);
        if (whole == Default) {
            require(cut == Default);
        } else if (cut != Default) {
            require(whole.startsWith(cut));
            require(cut.size() >= qMin<qsizetype>(whole.size(), MaxProfileValueLength) - 1);
        }
        const QString tiny = lookUp(file, key, 1, lineCap);
        checkValue(tiny, 1);
    }
    return 0;
}
