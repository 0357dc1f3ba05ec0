#include "shell/QSettingsStore.h"

#include "shell/Failure.h"

#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {

std::unique_ptr<QSettings> openStore(const QString& location) {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(location, QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(location, QSettings::IniFormat);
#endif
}

} // namespace

QSettingsStore::QSettingsStore() = default;

QSettingsStore::QSettingsStore(QString folder) : folder_(std::move(folder)) {}

QString QSettingsStore::location(const QString& application) const {
#ifdef Q_OS_WIN
    if (folder_.isEmpty())
        return QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") +
               application;
#endif
    const QString folder =
        folder_.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                          : folder_;
    return folder + QLatin1Char('/') + application + QStringLiteral(".conf");
}

QString QSettingsStore::GetSetting(const QString& application, const QString& section,
                                   const QString& key, int defaultValue) {
    auto store = openStore(location(application));
    store->beginGroup(section);
    if (!store->contains(key))
        return QString::number(defaultValue);
    return store->value(key).toString();
}

void QSettingsStore::SaveSetting(const QString& application, const QString& section,
                                 const QString& key, const QString& text) {
    auto store = openStore(location(application));
    store->beginGroup(section);
    store->setValue(key, text);
    store->endGroup();
    store->sync();
    if (store->status() != QSettings::NoError)
        throw Failure::pathFileAccessError();
}
