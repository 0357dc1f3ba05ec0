#pragma once

#include "shell/SettingsStore.h"

#include <QString>

// The settings store over QSettings: on Windows the current user's registry
// under "Software\VB and VBA Program Settings\<application>\<section>", elsewhere
// one INI file per application, "<folder>/<application>.conf", with one group per
// section.
class QSettingsStore : public SettingsStore {
public:
    // The user's configuration folder of the platform.
    QSettingsStore();
    // INI files in `folder` (tests use a temporary one).
    explicit QSettingsStore(QString folder);

    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       int defaultValue) override;
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& text) override;

    // Where the entries of `application` are kept.
    QString location(const QString& application) const;

private:
    QString folder_; // empty: the platform's own place
};
