#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// A step that could not be carried out. It carries only the description a user
// sees in the error report; the program adds no text of its own to it.
class Failure : public std::exception {
public:
    explicit Failure(QString description)
        : description_(std::move(description)), utf8_(description_.toUtf8()) {}

    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

    static Failure typeMismatch() { return Failure(QStringLiteral("Type mismatch")); }
    static Failure overflow() { return Failure(QStringLiteral("Overflow")); }
    static Failure invalidPropertyValue() {
        return Failure(QStringLiteral("Invalid property value"));
    }
    static Failure subscriptOutOfRange() {
        return Failure(QStringLiteral("Subscript out of range"));
    }
    static Failure invalidPicture() { return Failure(QStringLiteral("Invalid picture")); }
    static Failure fileNotFound() { return Failure(QStringLiteral("File not found")); }
    static Failure invalidFileFormat() { return Failure(QStringLiteral("Invalid file format")); }
    static Failure pathFileAccessError() {
        return Failure(QStringLiteral("Path/File access error"));
    }

private:
    QString description_;
    QByteArray utf8_;
};
