#pragma once

#include "shell/SettingsStore.h"

#include <QString>

// The settings store in INI files: one file per application,
// "<folder>/<application>.conf", one group per section. The folder is the
// user's configuration folder (on Linux by the XDG rule: $XDG_CONFIG_HOME when
// absolute, else ~/.config) or one given.
//
// The file is not written through QSettings, which rewrites the whole file on
// every save and drops comments and lines it cannot parse. A save edits the
// one entry's line and keeps the rest of the file byte for byte; it runs under
// the same lock file QSettings uses ("<file>.lock") and replaces the file in one
// step, so copies of the program saving at once never mix their files and a
// reader sees either the old file or the new one.
class IniFileStore : public SettingsStore {
public:
    // The user's configuration folder of the platform.
    IniFileStore();
    // INI files in `folder` (tests use a temporary one).
    explicit IniFileStore(QString folder);

    // A file that exists but cannot be read fails with "Path/File access error".
    QString GetSetting(const QString& application, const QString& section, const QString& key,
                       int defaultValue) override;
    // Creates the folder when it is missing. Fails with "Path/File access error"
    // when the entry could not be written; the file is then left as it was.
    void SaveSetting(const QString& application, const QString& section, const QString& key,
                     const QString& text) override;

private:
    // The file of `application`; with `create`, its folder is made first when
    // only the system's own name can reach it. Empty when the configuration
    // folder cannot be named.
    QString fileOf(const QString& application, bool create) const;

    QString folder_; // empty: the user's configuration folder
};
