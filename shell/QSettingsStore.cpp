#include "shell/QSettingsStore.h"

#include "shell/Failure.h"
#include "shell/FileOwnership.h"
#include "shell/IniDocument.h"
#include "shell/NativeFolder.h"
#include "shell/RegularFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#ifdef Q_OS_WIN
#include <qt_windows.h>

#include <memory>
#include <type_traits>
#endif

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
    QFile file;
    switch (openRegularFile(file, path)) {
    case FileOpening::Missing:
        return std::nullopt;
    case FileOpening::Refused:
        throw Failure::pathFileAccessError();
    case FileOpening::Opened:
        break;
    }
    std::optional<QByteArray> content = readAtMost(file, MaxSettingsFileSize);
    if (!content || content->size() > MaxSettingsFileSize)
        throw Failure::pathFileAccessError();
    return content;
}

QString readIniFile(const QString& path, const QString& section, const QString& key,
                    int defaultValue) {
    const std::optional<QByteArray> content = readSettingsFile(path);
    if (!content)
        return QString::number(defaultValue);
    return iniValue(*content, section, key).value_or(QString::number(defaultValue));
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
    QSaveFile file(path);
    // Unbuffered: a buffered QFile drops the error of a short write (a full
    // disk) when it flushes, and the cut file would then be committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure::pathFileAccessError();
    if (ownership && !giveOwnership(file.handle(), *ownership)) {
        file.cancelWriting();
        throw Failure::pathFileAccessError();
    }
    if (file.write(after) != after.size()) {
        file.cancelWriting();
        throw Failure::pathFileAccessError();
    }
    if (!file.commit()) // flushed to the disk and renamed into place, or nothing
        throw Failure::pathFileAccessError();
}

// Where the entries live in the registry on Windows.
const QString CurrentUser = QStringLiteral("HKEY_CURRENT_USER\\");
const QString SettingsKey = QStringLiteral("Software\\VB and VBA Program Settings\\");

#ifdef Q_OS_WIN
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, decltype(&RegCloseKey)>;

// Whether a key below HKEY_CURRENT_USER exists. It is opened only to read, so
// asking creates nothing (QSettings opens its key for writing and creates it,
// and every missing key above it, even to read).
bool registryKeyExists(const QString& pathBelowCurrentUser) {
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER,
                      reinterpret_cast<const wchar_t*>(pathBelowCurrentUser.utf16()), 0, KEY_READ,
                      &opened) != ERROR_SUCCESS)
        return false;
    const RegistryKey key(opened, &RegCloseKey);
    return true;
}

QString readRegistry(const QString& location, const QString& section, const QString& key,
                     int defaultValue) {
    // Without the section's key there is no entry, and QSettings is not let
    // near the registry.
    if (!registryKeyExists(location.mid(CurrentUser.size()) + QLatin1Char('\\') + section))
        return QString::number(defaultValue);
    QSettings store(location, QSettings::NativeFormat);
    store.beginGroup(section);
    if (!store.contains(key))
        return QString::number(defaultValue);
    const QVariant value = store.value(key);
    // A value edited into another registry type: its text, as far as it has one.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void writeRegistry(const QString& location, const QString& section, const QString& key,
                   const QString& text) {
    QSettings store(location, QSettings::NativeFormat);
    store.beginGroup(section);
    // A QString is kept as REG_SZ.
    store.setValue(key, QVariant(text));
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Failure::pathFileAccessError();
}
#endif

} // namespace

QSettingsStore::QSettingsStore() = default;

QSettingsStore::QSettingsStore(QString folder) : folder_(std::move(folder)) {}

bool QSettingsStore::inRegistry() const {
#ifdef Q_OS_WIN
    return folder_.isEmpty();
#else
    return false;
#endif
}

QString QSettingsStore::location(const QString& application) const {
    return fileOf(application, false);
}

QString QSettingsStore::fileOf(const QString& application, [[maybe_unused]] bool create) const {
    if (inRegistry())
        return CurrentUser + SettingsKey + application;
    QString folder = folder_;
    if (folder.isEmpty()) {
#ifdef Q_OS_LINUX
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

QString QSettingsStore::GetSetting(const QString& application, const QString& section,
                                   const QString& key, int defaultValue) {
#ifdef Q_OS_WIN
    if (inRegistry())
        return readRegistry(location(application), section, key, defaultValue);
#endif
    return readIniFile(fileOf(application, false), section, key, defaultValue);
}

void QSettingsStore::SaveSetting(const QString& application, const QString& section,
                                 const QString& key, const QString& text) {
#ifdef Q_OS_WIN
    if (inRegistry())
        return writeRegistry(location(application), section, key, text);
#endif
    const QString file = fileOf(application, true);
    if (file.isEmpty())
        throw Failure::pathFileAccessError();
    writeIniFile(file, section, key, text);
}
