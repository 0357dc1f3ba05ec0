#pragma once

#include "shell/SettingsStore.h"

#include <QString>

// The settings store in the current user's registry (Windows only): one key per
// application and section below "Software\VB and VBA Program Settings", one
// string value (REG_SZ) per entry.
class RegistryStore : public SettingsStore {
public:
    // A missing entry is read without creating any key.
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       int defaultValue) override;
    // Fails with "Path/File access error" when the entry could not be written.
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& text) override;

    // The key of `application`, as QSettings names it.
    QString location(const QString& application) const;
};
