#include "shell/NativeFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

bool roundTrips(const QByteArray& nativeName) {
    return QFile::encodeName(QFile::decodeName(nativeName)) == nativeName;
}

#ifndef Q_OS_WIN

// Makes every missing folder of an absolute name.
bool makeFolders(const QByteArray& nativeName) {
    for (qsizetype at = 1; at <= nativeName.size(); ++at) {
        if (at < nativeName.size() && nativeName[at] != '/')
            continue;
        const QByteArray upTo = nativeName.first(at);
        if (::mkdir(upTo.constData(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat status {};
    return ::stat(nativeName.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// A descriptor of the folder, opened once per name and run.
int folderDescriptor(const QByteArray& nativeName) {
    static std::map<QByteArray, int> open;
    const auto found = open.find(nativeName);
    if (found != open.end())
        return found->second;
    const int descriptor = ::open(nativeName.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0)
        open.emplace(nativeName, descriptor);
    return descriptor;
}

#endif

} // namespace

QString folderFromNativeName(const QByteArray& nativeName, bool create) {
    if (nativeName.isEmpty())
        return {};
    if (roundTrips(nativeName))
        return QDir::cleanPath(QFile::decodeName(nativeName));
#ifndef Q_OS_WIN
    if (create && !makeFolders(nativeName))
        return {};
    const int descriptor = folderDescriptor(nativeName);
    if (descriptor < 0)
        return {};
    return QStringLiteral("/proc/%1/fd/%2").arg(QCoreApplication::applicationPid()).arg(descriptor);
#else
    Q_UNUSED(create);
    return {};
#endif
}

QString nativeProgramFolder() {
#ifndef Q_OS_WIN
    QByteArray program(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", program.data(), program.size());
    if (length <= 0 || length >= program.size())
        return {};
    program.truncate(length);
    const qsizetype slash = program.lastIndexOf('/');
    if (slash < 0)
        return {};
    return folderFromNativeName(slash == 0 ? QByteArray("/") : program.first(slash), false);
#else
    return {};
#endif
}

QString nativeConfigurationFolder(bool create) {
#ifndef Q_OS_WIN
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (xdg.startsWith('/'))
        return folderFromNativeName(xdg, create);
    const QByteArray home = qgetenv("HOME");
    if (home.startsWith('/'))
        return folderFromNativeName(home + "/.config", create);
    return {};
#else
    Q_UNUSED(create);
    return {};
#endif
}

void dropRelativeConfigurationHome() {
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsSet("XDG_CONFIG_HOME") && !qgetenv("XDG_CONFIG_HOME").startsWith('/'))
        qunsetenv("XDG_CONFIG_HOME");
#endif
}
