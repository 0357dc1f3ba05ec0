#pragma once

#include <QString>

// Where users are asked to send a screenshot of an error report.
inline constexpr char SupportAddress[] = "support@kestrane.org";

// Prefix of every location tag: "in Clavitone2021/08/31.<module>.<procedure> ".
QString locationTag(const char* module, const char* procedure);

// The exact text of the error report box.
QString errorReportText(const QString& description, const QString& tag, int line);

// Shows (or, in tests, records) the error report. Returns when the user has
// dismissed it.
class ErrorReporter {
public:
    virtual ~ErrorReporter() = default;
    virtual void ErrorReport(const QString& description, const QString& tag, int line) = 0;
};
