#pragma once

#include <QString>

// The longest value a lookup returns, in characters.
inline constexpr int MaxProfileValueLength = 254;

// Reads one value from an INI file: the first entry `key` of section `section`,
// both matched without regard to letter case or surrounding blanks. Returns
// `defaultText` when the file, the section or the key is missing.
QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultText, int maxLength);
