// Feeds arbitrary bytes to the skin loader as the contents of a skin file.
// A skin the loader accepts must come out as a style sheet that reads back to
// the same rules, with and without the skin's fonts.

#include "appearance/SkinEngine.h"
#include "appearance/SkinSheet.h"
#include "shell/Failure.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

// The style sheet a window would get must read back to what produced it.
void checkRoundTrip(const QString& sheet) {
    const auto rules = parseSkinSheet(sheet);
    require(rules.has_value());
    require(skinSheetText(*rules) == sheet);
}

const QString SkinPath =
    QDir::tempPath() + QStringLiteral("/skin_loader_fuzzer_%1.cjs").arg(getpid());

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile file(SkinPath);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        require(file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                static_cast<qint64>(size));
    }

    SkinEngine engine;
    try {
        engine.loadSkin(SkinPath, QString());
    } catch (const Failure& failure) {
        require(failure.description() == QLatin1String("Invalid file format"));
        require(!engine.hasSkin());
        return 0;
    }
    require(engine.hasSkin());

    engine.setSkinFonts(true);
    const QString full = engine.styleSheet();
    checkRoundTrip(full);
    engine.setSkinFonts(false);
    const QString withoutFonts = engine.styleSheet();
    checkRoundTrip(withoutFonts);
    require(withoutFonts.size() <= full.size());
    return 0;
}
