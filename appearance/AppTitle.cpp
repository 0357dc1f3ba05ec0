#include "appearance/AppTitle.h"

#include <QGuiApplication>

QString cutAppTitle(QString text) {
    while (text.size() > MaxAppTitleLength) {
        const qsizetype blank = text.lastIndexOf(QLatin1Char(' '));
        // A text without a blank cannot be cut by words; it is cut at the limit.
        text.truncate(blank >= 0 ? blank : MaxAppTitleLength);
    }
    return text;
}

void SetAppTitle() {
    SetAppTitle(QString::fromLatin1(ProductName));
}

void SetAppTitle(const QString& productName) {
    QGuiApplication::setApplicationDisplayName(cutAppTitle(productName));
}
