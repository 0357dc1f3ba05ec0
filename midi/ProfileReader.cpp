#include "midi/ProfileReader.h"

#include <QFile>

QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultText, int maxLength) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
        return defaultText;
    bool inSection = false;
    while (!in.atEnd()) {
        const QString line = QString::fromUtf8(in.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            inSection = line.mid(1, line.size() - 2)
                            .trimmed()
                            .compare(section.trimmed(), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inSection || equals < 0)
            continue;
        if (line.left(equals).trimmed().compare(key.trimmed(), Qt::CaseInsensitive) == 0)
            return line.mid(equals + 1).trimmed().left(maxLength);
    }
    return defaultText;
}
