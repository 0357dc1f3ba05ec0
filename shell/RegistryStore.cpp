#include "shell/RegistryStore.h"

#include "shell/Failure.h"

#include <QSettings>
#include <QStringList>

#include <qt_windows.h>

#include <memory>
#include <type_traits>

namespace {

// Where the entries live in the registry.
const QString CurrentUser = QStringLiteral("HKEY_CURRENT_USER\\");
const QString SettingsKey = QStringLiteral("Software\\VB and VBA Program Settings\\");

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

} // namespace

QString RegistryStore::location(const QString& application) const {
    return CurrentUser + SettingsKey + application;
}

QString RegistryStore::GetSetting(const QString& application, const QString& section,
                                  const QString& key, int defaultValue) {
    // Without the section's key there is no entry, and QSettings is not let
    // near the registry.
    if (!registryKeyExists(SettingsKey + application + QLatin1Char('\\') + section))
        return QString::number(defaultValue);
    QSettings store(location(application), QSettings::NativeFormat);
    store.beginGroup(section);
    if (!store.contains(key))
        return QString::number(defaultValue);
    const QVariant value = store.value(key);
    // A value edited into another registry type: its text, as far as it has one.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

void RegistryStore::SaveSetting(const QString& application, const QString& section,
                                const QString& key, const QString& text) {
    QSettings store(location(application), QSettings::NativeFormat);
    store.beginGroup(section);
    // A QString is kept as REG_SZ.
    store.setValue(key, QVariant(text));
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        throw Failure::pathFileAccessError();
}
