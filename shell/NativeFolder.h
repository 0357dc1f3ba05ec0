#pragma once

#include <QByteArray>
#include <QString>

// Folders found by the bytes the system names them with. A name that is no
// valid text in the file name encoding (a folder made under another locale)
// cannot be written as a path Qt takes; such a folder is reached through a
// descriptor held open for the rest of the run ("/proc/<pid>/fd/<n>", which
// other programs of the user can follow too), so that the files in it are
// found all the same.

// A path for the folder named `nativeName`. With `create`, the folder and the
// folders above it are made when missing. Empty when a folder with such a
// name is missing (and not to be made) or cannot be reached.
QString folderFromNativeName(const QByteArray& nativeName, bool create);

// The folder of the running program file, links resolved; empty when the
// system does not tell it.
QString nativeProgramFolder();

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute
// path (a relative one is ignored), else ".config" in the home folder. Empty
// where the platform has no such rule or it cannot be reached.
QString nativeConfigurationFolder(bool create);

// Takes a relative $XDG_CONFIG_HOME out of the process environment: the XDG
// rule says to ignore it, and libraries that follow it less strictly would
// otherwise write their files below the working folder. Called first thing,
// before any thread starts.
void dropRelativeConfigurationHome();
