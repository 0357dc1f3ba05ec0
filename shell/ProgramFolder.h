#pragma once

#include <QString>

// The folder that holds the running program file, with every link resolved and
// without a trailing separator. Every file the program reads beside itself is
// named from it. Needs the application object.
QString programFolder();

// `folder` with every link resolved. A folder that cannot be resolved (gone,
// say) comes back cleaned up but otherwise as given.
QString resolvedFolder(const QString& folder);
