#pragma once

#include <QString>

// The program's names in the per-user settings store.
inline constexpr char SettingsAppName[] = "Kestrane";
inline constexpr char SettingsSection[] = "Clavitone";

// A per-user store of text values named by application, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text as it stands (even when empty), or the default as decimal
    // text when the entry is missing. Creates nothing.
    virtual QString GetSetting(const QString& application, const QString& section,
                               const QString& key, int defaultValue) = 0;
    // Creates or replaces the entry; it has reached the store when this returns.
    // Fails (throws Failure) when the write did not land.
    virtual void SaveSetting(const QString& application, const QString& section, const QString& key,
                             const QString& text) = 0;
};
