// Feeds arbitrary text to the conversion of stored settings to numbers. The
// first byte picks the locale (numbers are read the way the user's locale
// writes them); the rest is the stored text, as UTF-8.

#include "shell/Failure.h"
#include "shell/NumberText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition) {
    if (!condition)
        std::abort();
}

const QLocale Locales[] = {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                           QLocale(QLocale::French, QLocale::France),
                           QLocale(QLocale::English, QLocale::UnitedStates),
                           QLocale(QLocale::Arabic, QLocale::Egypt)};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    QLocale::setDefault(Locales[data[0] % std::size(Locales)]);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                           static_cast<qsizetype>(size - 1));

    std::int16_t number = 0;
    try {
        number = ToInteger(text);
    } catch (const Failure& failure) {
        require(failure.description() == QLatin1String("Type mismatch") ||
                failure.description() == QLatin1String("Overflow"));
        return 0;
    }

    // Plain decimal text means what it says in every locale.
    static const QRegularExpression plain(QStringLiteral("^\\s*[+-]?[0-9]{1,12}\\s*$"));
    if (plain.match(text).hasMatch()) {
        bool ok = false;
        const long long expected = text.trimmed().toLongLong(&ok);
        require(ok && expected == number);
    }
    // What the program writes it reads back unchanged.
    require(ToInteger(ToText(number)) == number);
    return 0;
}
