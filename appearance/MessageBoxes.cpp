#include "appearance/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>

namespace {

void showBox(QMessageBox::Icon icon, const QString& title, const QString& text) {
    QMessageBox box(icon, title, withDisplayLineBreaks(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

} // namespace

QString withDisplayLineBreaks(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

void MessageBoxErrorReporter::ErrorReport(const QString& description, const QString& tag,
                                          int line) {
    showBox(QMessageBox::Warning, QStringLiteral("Application Error"),
            errorReportText(description, tag, line));
}

void MessageBoxNotice::showNotice(const QString& text) {
    showBox(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(), text);
}
