#pragma once

#include <QString>

// Whether the file system can tell the last change of the file at `path`.
// Never fails: any trouble answers false.
bool FileExists(const QString& path);
