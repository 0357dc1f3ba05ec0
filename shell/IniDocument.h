#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The settings file format: an INI text of "[section]" headers and "key=value"
// lines, written the way QSettings writes its INI files so that either can read
// what the other wrote. (The instrument names file is INI text too, looked up
// by the Windows profile reader's rules: shell/ProfileReader.h.)
//
// Reading gives a value's text as stored: a comma is part of the text (QSettings
// would split it into a list), a hand-written "@Variant(...)" stays that text,
// and only quoting and backslash escapes are undone. Changing one entry edits
// that one line (or adds one) and keeps every other byte of the document:
// comments, other sections, other programs' entries and lines that are no
// entry at all.
//
// A document is the file's bytes: UTF-8, with or without a byte order mark, or
// UTF-16 of either byte order, with a mark or, where its first character tells
// the order, without. An edited document keeps its form. A document that holds
// NUL characters in any of these forms is not a settings file: both functions
// fail with "Invalid file format" (a Failure).

// The text of `key` in `section`, or nothing when the document has no such
// entry. When a key appears twice, the later line counts.
std::optional<QString> iniValue(const QByteArray& document, const QString& section,
                                const QString& key);

// The document with `key` in `section` set to `text`: the entry's line is
// replaced, or a line is added to the section, or the section is added at the
// end.
QByteArray withIniValue(const QByteArray& document, const QString& section, const QString& key,
                        const QString& text);
