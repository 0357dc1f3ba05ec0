#pragma once

#include <QString>

#include <optional>

// Who owns a file and who may change it, so that a file replaced by a new copy
// keeps both.
struct FileOwnership {
    unsigned mode = 0; // permission bits
    unsigned owner = 0;
    unsigned group = 0;
    bool writable = false; // whether the file's own permissions let this user change it
};

// The ownership of the file at `path` (links followed); nothing when there is
// none or it cannot be looked at.
std::optional<FileOwnership> ownershipOf(const QString& path);

// Gives the open file `handle` (a descriptor from QFileDevice::handle()) the
// mode and owner of `ownership`. False when the platform refuses.
bool giveOwnership(int handle, const FileOwnership& ownership);
