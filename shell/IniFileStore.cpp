#include "shell/IniFileStore.h"

#include "shell/Failure.h"
#include "shell/FileOwnership.h"
#include "shell/IniDocument.h"
#include "shell/NativeFolder.h"
#include "shell/RegularFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>

#include <optional>

namespace {

// How long a save waits for another copy of the program to finish its own.
// Longer would leave the window frozen; a lock not had by then is reported.
constexpr int LockWaitMilliseconds = 1000;

// Tries the lock often: another copy saving over and over lets it go only
// for moments, which a wait that doubles its pauses would mostly miss.
bool takeLock(QLockFile& lock) {
    QElapsedTimer waited;
    waited.start();
    while (!lock.tryLock(0)) {
        if (waited.elapsed() >= LockWaitMilliseconds)
            return false;
        QThread::msleep(2);
    }
    return true;
}

// The largest settings file read. Five numbers need a few dozen bytes; the
// limit leaves room for whatever else users keep in the file.
constexpr qint64 MaxSettingsFileSize = 1024 * 1024;

// The file's bytes, or nothing when there is no file. Anything else at the
// path, a file that cannot be read and a file over the limit fail.
std::optional<QByteArray> readSettingsFile(const QString& path) {
    FileContent content = readRegularFile(path, MaxSettingsFileSize);
    switch (content.outcome) {
    case FileReading::Missing:
        return std::nullopt;
    case FileReading::Refused:
    case FileReading::TooLarge:
        throw Failure::pathFileAccessError();
    case FileReading::Read:
        break;
    }
    return std::move(content.bytes);
}

QString readIniFile(const QString& path, const QString& section, const QString& key,
                    int defaultValue) {
    const std::optional<QByteArray> content = readSettingsFile(path);
    if (!content)
        return QString::number(defaultValue);
    return iniValue(*content, section, key).value_or(QString::number(defaultValue));
}

// Writes `content` to a new file beside `path` and renames it into place.
// False only when the rename was refused; any other failure is reported.
bool replaceFile(const QString& path, const QByteArray& content,
                 const std::optional<FileOwnership>& ownership) {
    QSaveFile file(path);
    // Unbuffered: a buffered QFile drops the error of a short write (a full
    // disk) when it flushes, and the cut file would then be committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure::pathFileAccessError();
    if (ownership && !giveOwnership(file.handle(), *ownership)) {
        file.cancelWriting();
        throw Failure::pathFileAccessError();
    }
    if (file.write(content) != content.size()) {
        file.cancelWriting();
        throw Failure::pathFileAccessError();
    }
    if (file.commit()) // flushed to the disk and renamed into place, or nothing
        return true;
    if (file.error() == QFileDevice::RenameError)
        return false;
    throw Failure::pathFileAccessError();
}

void writeIniFile(const QString& path, const QString& section, const QString& key,
                  const QString& text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw Failure::pathFileAccessError();
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!takeLock(lock))
        throw Failure::pathFileAccessError();
    const QByteArray before = readSettingsFile(path).value_or(QByteArray());
    // A file the user made read-only is left alone; its replacement gets the
    // mode and the owner it had.
    const std::optional<FileOwnership> ownership = ownershipOf(path);
    if (ownership && !ownership->writable)
        throw Failure::pathFileAccessError();
    const QByteArray after = withIniValue(before, section, key, text);
    // Windows refuses to replace a file that is open, even for a moment while
    // another copy reads it without the lock: the rename is tried again until
    // the lock's own wait is over.
    QElapsedTimer renaming;
    renaming.start();
    while (!replaceFile(path, after, ownership)) {
        if (renaming.elapsed() >= LockWaitMilliseconds)
            throw Failure::pathFileAccessError();
        QThread::msleep(2);
    }
}

} // namespace

IniFileStore::IniFileStore() = default;

IniFileStore::IniFileStore(QString folder) : folder_(std::move(folder)) {}

QString IniFileStore::fileOf(const QString& application, [[maybe_unused]] bool create) const {
    QString folder = folder_;
    if (folder.isEmpty()) {
#ifndef Q_OS_WIN
        // Found by the bytes the environment gives, under the XDG rule.
        folder = nativeConfigurationFolder(create);
        if (folder.isEmpty())
            return {}; // nowhere to read from, or to write to
#else
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
#endif
    }
    return folder + QLatin1Char('/') + application + QStringLiteral(".conf");
}

QString IniFileStore::GetSetting(const QString& application, const QString& section,
                                 const QString& key, int defaultValue) {
    return readIniFile(fileOf(application, false), section, key, defaultValue);
}

void IniFileStore::SaveSetting(const QString& application, const QString& section,
                               const QString& key, const QString& text) {
    const QString file = fileOf(application, true);
    if (file.isEmpty())
        throw Failure::pathFileAccessError();
    writeIniFile(file, section, key, text);
}
