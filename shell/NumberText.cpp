#include "shell/NumberText.h"

#include "shell/CheckedInt.h"
#include "shell/Failure.h"

#include <QLocale>

#include <cmath>

std::int16_t ToInteger(const QString& text) {
    const QString trimmed = text.trimmed();
    bool ok = false;
    const double number = QLocale().toDouble(trimmed, &ok);
    if (trimmed.isEmpty() || !ok || !std::isfinite(number))
        throw Failure::typeMismatch();
    const double rounded = std::nearbyint(number); // ties to even
    if (rounded < -32768.0 || rounded > 32767.0)
        throw Failure::overflow();
    return static_cast<std::int16_t>(rounded);
}

QString ToText(long long value) {
    return QString::number(value);
}
