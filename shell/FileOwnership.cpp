#include "shell/FileOwnership.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

std::optional<FileOwnership> ownershipOf(const QString& path) {
#ifdef Q_OS_WIN
    // The read-only attribute is what a user sets there; owners and modes are
    // kept by the file system's own rules.
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    FileOwnership ownership;
    ownership.writable = info.isWritable();
    return ownership;
#else
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return std::nullopt;
    FileOwnership ownership;
    ownership.mode = status.st_mode & 07777;
    ownership.owner = status.st_uid;
    ownership.group = status.st_gid;
    const uid_t user = ::geteuid();
    // The superuser may write anything; a file without any write permission
    // was still made read-only by someone, and stays so.
    if (user == 0)
        ownership.writable = (status.st_mode & 0222) != 0;
    else if (user == status.st_uid)
        ownership.writable = (status.st_mode & S_IWUSR) != 0;
    else
        ownership.writable = ::access(QFile::encodeName(path).constData(), W_OK) == 0;
    return ownership;
#endif
}

bool giveOwnership(int handle, const FileOwnership& ownership) {
#ifdef Q_OS_WIN
    Q_UNUSED(handle);
    Q_UNUSED(ownership);
    return true;
#else
    struct stat status {};
    if (::fstat(handle, &status) != 0)
        return false;
    if ((status.st_uid != ownership.owner || status.st_gid != ownership.group) &&
        ::fchown(handle, ownership.owner, ownership.group) != 0)
        return false;
    return ::fchmod(handle, ownership.mode) == 0;
#endif
}
