#include "shell/ErrorReport.h"

QString locationTag(const char* module, const char* procedure) {
    return QStringLiteral("in Clavitone2021/08/31.%1.%2 ")
        .arg(QLatin1String(module), QLatin1String(procedure));
}

QString errorReportText(const QString& description, const QString& tag, int line) {
    return description + QStringLiteral("\r\n") + tag + QStringLiteral("at line ") +
           QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") +
           QLatin1String(SupportAddress);
}
