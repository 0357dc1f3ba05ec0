#pragma once

#include <QString>

class QIODevice;

// The instrument names file's lookup. Its text is INI text like the settings
// file's (shell/IniDocument.h), but read by other rules, those of the Windows
// profile reader: the first match counts, names match whatever their case,
// a value keeps its backslashes and loses only its quotation marks, a line that
// is not UTF-8 is Windows-1252. Neither reader can stand in for the other.

// The longest value a lookup returns, in UTF-16 code units.
inline constexpr int MaxProfileValueLength = 254;

// Only the first this many bytes of a line are looked at; the rest of a longer
// line is skipped, so memory stays bounded whatever the file holds.
inline constexpr qsizetype MaxProfileLineBytes = 64 * 1024;

// Reads one value from INI text, the way the Windows profile reader does for a
// single lookup:
// - the first section named `section` and in it the first entry named `key`,
//   both matched without regard to letter case or surrounding blanks; a later
//   section of the same name is not searched;
// - the value is the text after the first '=', without surrounding blanks and
//   without one pair of matching quotation marks (' or ") around all of it,
//   cut at the first zero character and then to `maxLength` code units, never
//   between the two halves of a surrogate pair;
// - lines end in LF or CR LF, the last one may have no line end, a UTF-8 byte
//   order mark at the start of a line is skipped; each line is decoded on its own, as
//   UTF-8 when it is valid UTF-8 and as Windows-1252 otherwise;
// - lines without '=' and other sections are ignored.
// Returns `defaultText` when the section or the key is missing, the section or
// key asked for is blank, or the text cannot be read. Reads from the device's
// current position and stops at the first match.
QString readProfileString(QIODevice& in, const QString& section, const QString& key,
                          const QString& defaultText, int maxLength);

// The same lookup with another cap on the bytes looked at per line, so that
// over-long lines can be tried out on small inputs.
QString readProfileStringWithLineCap(QIODevice& in, const QString& section, const QString& key,
                                     const QString& defaultText, int maxLength, qsizetype lineCap);

// The same lookup in a file. Anything but a readable regular file (missing, a
// directory, a pipe, a device) gives `defaultText`.
QString readProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultText, int maxLength);
