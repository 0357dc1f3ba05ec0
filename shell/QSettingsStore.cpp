#include "shell/QSettingsStore.h"

#include "shell/Failure.h"
#include "shell/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

// How long a save waits for another copy of the program to finish its own.
constexpr int LockWaitMilliseconds = 10000;

QByteArray readWholeFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure::pathFileAccessError();
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Failure::pathFileAccessError();
    return content;
}

QString readIniFile(const QString& path, const QString& section, const QString& key,
                    int defaultValue) {
    if (!QFileInfo::exists(path))
        return QString::number(defaultValue);
    return iniValue(readWholeFile(path), section, key).value_or(QString::number(defaultValue));
}

void writeIniFile(const QString& path, const QString& section, const QString& key,
                  const QString& text) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        throw Failure::pathFileAccessError();
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(LockWaitMilliseconds))
        throw Failure::pathFileAccessError();
    const QByteArray before = QFileInfo::exists(path) ? readWholeFile(path) : QByteArray();
    const QByteArray after = withIniValue(before, section, key, text);
    QSaveFile file(path);
    // Unbuffered: a buffered QFile drops the error of a short write (a full
    // disk) when it flushes, and the cut file would then be committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Failure::pathFileAccessError();
    if (file.write(after) != after.size()) {
        file.cancelWriting();
        throw Failure::pathFileAccessError();
    }
    if (!file.commit()) // flushed to the disk and renamed into place, or nothing
        throw Failure::pathFileAccessError();
}

#ifdef Q_OS_WIN
QString readRegistry(const QString& location, const QString& section, const QString& key,
                     int defaultValue) {
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
    if (inRegistry())
        return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") +
               application;
    const QString folder =
        folder_.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                          : folder_;
    return folder + QLatin1Char('/') + application + QStringLiteral(".conf");
}

QString QSettingsStore::GetSetting(const QString& application, const QString& section,
                                   const QString& key, int defaultValue) {
#ifdef Q_OS_WIN
    if (inRegistry())
        return readRegistry(location(application), section, key, defaultValue);
#endif
    return readIniFile(location(application), section, key, defaultValue);
}

void QSettingsStore::SaveSetting(const QString& application, const QString& section,
                                 const QString& key, const QString& text) {
#ifdef Q_OS_WIN
    if (inRegistry())
        return writeRegistry(location(application), section, key, text);
#endif
    writeIniFile(location(application), section, key, text);
}
