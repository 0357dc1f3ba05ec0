#include "shell/RegularFile.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <qt_windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifdef Q_OS_WIN

// A handle of an ordinary file on a disk, or INVALID_HANDLE_VALUE.
HANDLE openDiskFile(const QString& path, FileOpening& outcome) {
    const std::wstring name = path.toStdWString();
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened at all.
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        outcome = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
                      ? FileOpening::Missing
                      : FileOpening::Refused;
        return INVALID_HANDLE_VALUE;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (GetFileType(handle) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(handle);
        outcome = FileOpening::Refused;
        return INVALID_HANDLE_VALUE;
    }
    outcome = FileOpening::Opened;
    return handle;
}

#endif

// Opens `path` in `file` for reading (unbuffered) when it is an ordinary file.
FileOpening openInto(QFile& file, const QString& path) {
    if (path.isEmpty())
        return FileOpening::Missing;
#ifdef Q_OS_WIN
    FileOpening outcome = FileOpening::Refused;
    HANDLE handle = openDiskFile(path, outcome);
    if (handle == INVALID_HANDLE_VALUE)
        return outcome;
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
    if (descriptor < 0) {
        CloseHandle(handle);
        return FileOpening::Refused;
    }
    if (!file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        _close(descriptor);
        return FileOpening::Refused;
    }
    return FileOpening::Opened;
#else
    const QByteArray name = QFile::encodeName(path);
    // A look first, so that a device is never even opened; the check on the
    // open descriptor below closes the gap to a file swapped in meanwhile.
    struct stat status {};
    if (::stat(name.constData(), &status) != 0)
        return errno == ENOENT || errno == ENOTDIR ? FileOpening::Missing : FileOpening::Refused;
    if (!S_ISREG(status.st_mode))
        return FileOpening::Refused;
    // Non-blocking: opening a pipe would otherwise wait for a writer.
    const int descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return errno == ENOENT ? FileOpening::Missing : FileOpening::Refused;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return FileOpening::Refused;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags != -1)
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(descriptor, QIODevice::ReadOnly | QIODevice::Unbuffered,
                   QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return FileOpening::Refused;
    }
    return FileOpening::Opened;
#endif
}

// Reads from `file` up to `maxBytes` plus one byte. Nothing when reading fails.
std::optional<QByteArray> readAtMost(QFile& file, qint64 maxBytes) {
    constexpr qint64 PieceBytes = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() <= maxBytes) {
        const qint64 want = qMin(PieceBytes, maxBytes + 1 - bytes.size());
        const qsizetype at = bytes.size();
        bytes.resize(at + want);
        const qint64 got = file.read(bytes.data() + at, want);
        if (got < 0)
            return std::nullopt;
        bytes.resize(at + got);
        if (got == 0)
            break;
    }
    return bytes;
}

} // namespace

FileContent readRegularFile(const QString& path, qint64 maxBytes) {
    QFile file;
    switch (openInto(file, path)) {
    case FileOpening::Missing:
        return {FileReading::Missing, {}};
    case FileOpening::Refused:
        return {FileReading::Refused, {}};
    case FileOpening::Opened:
        break;
    }
    std::optional<QByteArray> bytes = readAtMost(file, maxBytes);
    if (!bytes)
        return {FileReading::Refused, {}};
    if (bytes->size() > maxBytes)
        return {FileReading::TooLarge, {}};
    return {FileReading::Read, std::move(*bytes)};
}

std::unique_ptr<QIODevice> openRegularFile(const QString& path) {
    auto file = std::make_unique<QFile>();
    if (openInto(*file, path) != FileOpening::Opened)
        return nullptr;
    return file;
}

FileOpening checkRegularFile(const QString& path) {
    QFile file;
    return openInto(file, path);
}

bool isRegularFile(const QString& path) {
    if (path.isEmpty())
        return false;
#ifdef Q_OS_WIN
    FileOpening outcome = FileOpening::Refused;
    HANDLE handle = openDiskFile(path, outcome);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(handle);
    return true;
#else
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

bool isVisibleRegularFile(const QString& path) {
    if (!isRegularFile(path))
        return false;
#ifdef Q_OS_WIN
    if (QFileInfo(path).isHidden())
        return false;
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()));
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM))
        return false;
#endif
    return true;
}
