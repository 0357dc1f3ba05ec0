#pragma once

#include "shell/ErrorReport.h"
#include "shell/NoticeBox.h"

class QWidget;

// Message texts break lines with a carriage return, alone or before a line
// feed; this gives them the line breaks a message box shows.
QString withDisplayLineBreaks(const QString& text);

// The error report as a modal box: "Application Error", a warning icon, OK.
class MessageBoxErrorReporter : public ErrorReporter {
public:
    void ErrorReport(const QString& description, const QString& tag, int line) override;
};

// A plain box with OK only, no icon, titled with the application title.
class MessageBoxNotice : public NoticeBox {
public:
    void showNotice(const QString& text) override;
};
