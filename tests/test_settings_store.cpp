#include "shell/Failure.h"
#include "shell/IniFileStore.h"
#include "shell/NativeFolder.h"
#include "support/FailureOf.h"
#include "support/HostileFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>
#include <optional>

#ifdef Q_OS_WIN
#include "shell/RegistryStore.h"

#include <qt_windows.h>
#else
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString App = QStringLiteral("Kestrane");
const QString Section = QStringLiteral("Clavitone");

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Every name in a folder, hidden ones included.
QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The second copy of the program in the test below: saves `count` times to
// its own key and to a key both copies share, and checks after each save that
// a fresh reader sees its own key.
int saveMany(const QString& folder, const QString& key, int count) {
    for (int i = 1; i <= count; ++i) {
        IniFileStore store(folder);
        try {
            store.SaveSetting(App, Section, key, QString::number(i));
            store.SaveSetting(App, Section, QStringLiteral("Shared"), key + QString::number(i));
        } catch (const Failure& failure) {
            qCritical("save %d failed: %s", i, failure.what());
            return 2;
        }
        const QString seen = IniFileStore(folder).GetSetting(App, Section, key, -1);
        if (seen != QString::number(i)) {
            qCritical("save %d of %s reads back as %s", i, qPrintable(key), qPrintable(seen));
            return 1;
        }
    }
    return 0;
}

#ifdef Q_OS_WIN
// An application name of this test's own in the registry, so that the
// program's own settings stay as they are.
QString registryTestApplication() {
    return QStringLiteral("KestraneTest%1").arg(QCoreApplication::applicationPid());
}

QString registryPath(const QString& application, const QString& section = {}) {
    QString path = QStringLiteral("Software\\VB and VBA Program Settings\\") + application;
    if (!section.isEmpty())
        path += QLatin1Char('\\') + section;
    return path;
}

const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

bool registryKeyExists(const QString& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, wide(path), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The value as the registry holds it, when it is a string (REG_SZ).
std::optional<QString> registryString(const QString& path, const QString& name) {
    wchar_t buffer[64];
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, wide(path), wide(name), RRF_RT_REG_SZ, nullptr, buffer,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return QString::fromWCharArray(buffer);
}

// Removes the test application's key when the test ends, however it ends.
struct RegistryCleanUp {
    QString application;
    ~RegistryCleanUp() { RegDeleteTreeW(HKEY_CURRENT_USER, wide(registryPath(application))); }
};
#endif

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void missingEntryGivesDefaultAndCreatesNothing_data();
    void missingEntryGivesDefaultAndCreatesNothing();
    void saveIsReadBackByAFreshStore_data();
    void saveIsReadBackByAFreshStore();
    void saveKeepsWhatOthersWrote();
    void saveThroughALinkKeepsTheLink();
    void failedSaveIsReportedAndChangesNothing_data();
    void failedSaveIsReportedAndChangesNothing();
    void unreadableStoreIsReported_data();
    void unreadableStoreIsReported();
    void saveKeepsModeAndOwner_data();
    void saveKeepsModeAndOwner();
    void aLockThatCannotBeHadIsReported();
    void fullDiskLeavesTheOldFile();
    void twoCopiesSavingAtOnce();
    void locationIsTheUsersConfigurationFolder_data();
    void locationIsTheUsersConfigurationFolder();
    void registryReadCreatesNothing_data();
    void registryReadCreatesNothing();
    void registrySaveIsAStringValue();
};

void TestSettingsStore::missingEntryGivesDefaultAndCreatesNothing_data() {
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<QByteArray>("content"); // of Kestrane.conf; null: no file

    QTest::newRow("no folder") << QStringLiteral("missing/deeper") << QByteArray();
    QTest::newRow("no file") << QString() << QByteArray();
    QTest::newRow("empty file") << QString() << QByteArray("");
    QTest::newRow("other section") << QString() << QByteArray("[Clavitone2]\nChannel=7\n");
    QTest::newRow("section without the key") << QString() << QByteArray("[Clavitone]\nPan=7\n");
}

void TestSettingsStore::missingEntryGivesDefaultAndCreatesNothing() {
    QFETCH(QString, subfolder);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = subfolder.isEmpty() ? dir.path() : dir.filePath(subfolder);
    const QString file = folder + QStringLiteral("/Kestrane.conf");
    if (!content.isNull())
        QVERIFY(writeFile(file, content));
    // Another application's file is never read.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("Other.conf")), "[Clavitone]\nChannel=7\n"));
    const QStringList before = namesIn(dir.path());

    IniFileStore store(folder);
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("Channel"), 13), QStringLiteral("13"));
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("Channel"), -5), QStringLiteral("-5"));

    QCOMPARE(namesIn(dir.path()), before);
    QCOMPARE(QFile::exists(file), !content.isNull());
    QCOMPARE(contentOf(file), content);
}

void TestSettingsStore::saveIsReadBackByAFreshStore_data() {
    QTest::addColumn<QString>("subfolder");
    QTest::addColumn<QString>("text");

    QTest::newRow("digits") << QString() << QStringLiteral("5");
    QTest::newRow("empty text, not the default") << QString() << QString();
    QTest::newRow("comma") << QString() << QStringLiteral("7,5");
    QTest::newRow("missing folders made") << QStringLiteral("a/b/c") << QStringLiteral("-12");
}

void TestSettingsStore::saveIsReadBackByAFreshStore() {
    QFETCH(QString, subfolder);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = subfolder.isEmpty() ? dir.path() : dir.filePath(subfolder);

    IniFileStore(folder).SaveSetting(App, Section, QStringLiteral("Channel"), text);
    QCOMPARE(IniFileStore(folder).GetSetting(App, Section, QStringLiteral("Channel"), 13), text);
    QCOMPARE(namesIn(folder), QStringList{QStringLiteral("Kestrane.conf")}); // no lock left

    IniFileStore(folder).SaveSetting(App, Section, QStringLiteral("Channel"), QStringLiteral("9"));
    QCOMPARE(IniFileStore(folder).GetSetting(App, Section, QStringLiteral("Channel"), 13),
             QStringLiteral("9"));
}

void TestSettingsStore::saveKeepsWhatOthersWrote() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Kestrane.conf"));
    // Hand-edited: comments, a line QSettings cannot parse, a value it would
    // read as a list, one it would turn into a number, another program's section.
    const QByteArray handEdited("; keep me\n[Clavitone]\nChannel = 7,5\ngarbage without equals\n"
                                "[Studio]\nx=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\a)\n[broken\n");
    QVERIFY(writeFile(file, handEdited));

    IniFileStore store(dir.path());
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("Channel"), 13), QStringLiteral("7,5"));
    store.SaveSetting(App, Section, QStringLiteral("Volume"), QStringLiteral("80"));

    QByteArray expected = handEdited;
    expected.replace("Channel = 7,5\n", "Channel = 7,5\nVolume=80\n");
    QCOMPARE(contentOf(file), expected);
}

// A settings file kept elsewhere and linked into the configuration folder
// stays linked: the save goes to the file the link names.
void TestSettingsStore::saveThroughALinkKeepsTheLink() {
#ifdef Q_OS_WIN
    QSKIP("QFile::link makes a shell shortcut on Windows, which opening a file does not follow");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("config"))));
    const QString target = dir.filePath(QStringLiteral("Kestrane.conf"));
    const QString link = dir.filePath(QStringLiteral("config/Kestrane.conf"));
    QVERIFY(writeFile(target, "[Clavitone]\nPan=1\n"));
    QVERIFY(QFile::link(target, link));

    IniFileStore(dir.filePath(QStringLiteral("config")))
        .SaveSetting(App, Section, QStringLiteral("Channel"), QStringLiteral("5"));
    QCOMPARE(QFileInfo(link).symLinkTarget(), target);
    QCOMPARE(contentOf(target), QByteArray("[Clavitone]\nPan=1\nChannel=5\n"));
}

void TestSettingsStore::failedSaveIsReportedAndChangesNothing_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("fileAsFolder");
    QTest::addColumn<bool>("folderAsFile");

#ifndef Q_OS_WIN
    // /proc takes no new files, not even from root (other systems may have no
    // such folder).
    QTest::newRow("folder that takes no files") << QStringLiteral("/proc") << false << false;
#endif
    QTest::newRow("file where the folder should be") << QString() << true << false;
    QTest::newRow("folder where the file should be") << QString() << false << true;
}

void TestSettingsStore::failedSaveIsReportedAndChangesNothing() {
    QFETCH(QString, folder);
    QFETCH(bool, fileAsFolder);
    QFETCH(bool, folderAsFile);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (folder.isEmpty())
        folder = dir.filePath(QStringLiteral("config"));
    if (fileAsFolder)
        QVERIFY(writeFile(folder, "not a folder"));
    if (folderAsFile)
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/Kestrane.conf")));
    const QStringList before = namesIn(dir.path());

    IniFileStore store(folder);
    QCOMPARE(failureOf([&] {
                 store.SaveSetting(App, Section, QStringLiteral("Channel"), QStringLiteral("5"));
             }),
             QStringLiteral("Path/File access error"));
    QCOMPARE(namesIn(dir.path()), before);
    if (fileAsFolder)
        QCOMPARE(contentOf(folder), QByteArray("not a folder"));
    if (folderAsFile)
        QCOMPARE(namesIn(folder), QStringList{QStringLiteral("Kestrane.conf")});
}

void TestSettingsStore::unreadableStoreIsReported_data() {
    QTest::addColumn<int>("hostile"); // -1: a file over the size limit
    QTest::newRow("a folder") << int(Hostile::Folder);
#ifndef Q_OS_WIN // pipes and devices in the file system
    QTest::newRow("a pipe: no wait for a writer") << int(Hostile::Pipe);
    QTest::newRow("a link to an endless device") << int(Hostile::EndlessDevice);
#endif
    QTest::newRow("larger than a settings file may be") << -1;
}

// Read and save both fail at once, and what is there stays as it was.
void TestSettingsStore::unreadableStoreIsReported() {
    QFETCH(int, hostile);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Kestrane.conf"));
    const QByteArray large = "[Clavitone]\nChannel=7\n;" + QByteArray(1024 * 1024, 'x');
    if (hostile >= 0)
        QVERIFY(makeHostile(file, static_cast<Hostile>(hostile)));
    else
        QVERIFY(writeFile(file, large));
    const QFileInfo before(file);

    IniFileStore store(dir.path());
    QCOMPARE(failureOf([&] { store.GetSetting(App, Section, QStringLiteral("Channel"), 13); }),
             QStringLiteral("Path/File access error"));
    QCOMPARE(failureOf([&] {
                 store.SaveSetting(App, Section, QStringLiteral("Channel"), QStringLiteral("5"));
             }),
             QStringLiteral("Path/File access error"));
    const QFileInfo after(file);
    QCOMPARE(after.isSymLink(), before.isSymLink());
    QCOMPARE(after.isDir(), before.isDir());
    QCOMPARE(after.isFile(), before.isFile());
    if (hostile < 0)
        QCOMPARE(contentOf(file), large);
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("Kestrane.conf")});
}

void TestSettingsStore::saveKeepsModeAndOwner_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("otherOwner"); // only where the test may give files away
    QTest::addColumn<bool>("saved");
    QTest::newRow("private file") << 0600 << false << true;
    QTest::newRow("shared with the group") << 0664 << false << true;
    QTest::newRow("made read-only: not written") << 0444 << false << false;
    QTest::newRow("another user's private file") << 0600 << true << true;
}

// A save replaces the file by a new copy; the copy gets the old one's mode and
// owner, and a read-only file is not replaced at all.
void TestSettingsStore::saveKeepsModeAndOwner() {
#ifndef Q_OS_WIN // modes and owners are POSIX ones
    QFETCH(int, mode);
    QFETCH(bool, otherOwner);
    QFETCH(bool, saved);
    if (otherOwner && geteuid() != 0)
        QSKIP("only the superuser can give a file to another user");
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Kestrane.conf"));
    const QByteArray old("[Clavitone]\nChannel=7\n");
    QVERIFY(writeFile(file, old));
    const QByteArray name = QFile::encodeName(file);
    const uid_t owner = otherOwner ? 65534 : geteuid();
    const gid_t group = otherOwner ? 65534 : getegid();
    QCOMPARE(chown(name.constData(), owner, group), 0);
    QCOMPARE(chmod(name.constData(), static_cast<mode_t>(mode)), 0);

    const QString failure = failureOf([&] {
        IniFileStore(dir.path())
            .SaveSetting(App, Section, QStringLiteral("Channel"), QStringLiteral("5"));
    });
    QCOMPARE(failure, saved ? QString() : QStringLiteral("Path/File access error"));
    QCOMPARE(contentOf(file), saved ? QByteArray("[Clavitone]\nChannel=5\n") : old);
    struct stat status {};
    QCOMPARE(stat(name.constData(), &status), 0);
    QCOMPARE(int(status.st_mode & 07777), mode);
    QCOMPARE(status.st_uid, owner);
    QCOMPARE(status.st_gid, group);
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("Kestrane.conf")});
#else
    QSKIP("modes and owners are POSIX ones");
#endif
}

// A lock file that is a folder is never had: the save gives up after a short
// wait with the report, and changes nothing.
void TestSettingsStore::aLockThatCannotBeHadIsReported() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Kestrane.conf"));
    QVERIFY(writeFile(file, "[Clavitone]\nChannel=7\n"));
    QVERIFY(makeHostile(file + QStringLiteral(".lock"), Hostile::Folder));
    QCOMPARE(failureOf([&] {
                 IniFileStore(dir.path())
                     .SaveSetting(App, Section, QStringLiteral("Channel"), QStringLiteral("5"));
             }),
             QStringLiteral("Path/File access error"));
    QCOMPARE(contentOf(file), QByteArray("[Clavitone]\nChannel=7\n"));
}

// A file size limit stands in for a full disk: the new file cannot be written
// out, so the save fails and the old file stays as it was.
void TestSettingsStore::fullDiskLeavesTheOldFile() {
#ifdef Q_OS_WIN
    QSKIP("Windows has no per-process file size limit to stand in for a full disk");
#else
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Kestrane.conf"));
    const QByteArray old = "[Clavitone]\nChannel=7\n; " + QByteArray(200, 'x') + '\n';
    QVERIFY(writeFile(file, old));

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 128;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString failure = failureOf([&] {
        IniFileStore(dir.path())
            .SaveSetting(App, Section, QStringLiteral("Channel"), QStringLiteral("5"));
    });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QCOMPARE(failure, QStringLiteral("Path/File access error"));
    QCOMPARE(contentOf(file), old);
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("Kestrane.conf")});
#endif
}

// Two copies of the program saving at the same time: the last save of an
// entry wins and no other entry is lost.
void TestSettingsStore::twoCopiesSavingAtOnce() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("Kestrane.conf"));
    QVERIFY(writeFile(file, "; hand-written\n[Clavitone]\nOctave=3\n"));
    const int count = 100;

    QProcess first;
    QProcess second;
    for (auto [process, key] : {std::pair{&first, "A"}, std::pair{&second, "B"}}) {
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QCoreApplication::applicationFilePath(),
                       {QStringLiteral("--save-many"), dir.path(), QLatin1String(key),
                        QString::number(count)});
    }
    QVERIFY(first.waitForFinished(100000));
    QVERIFY(second.waitForFinished(100000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);

    IniFileStore store(dir.path());
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("A"), -1), QString::number(count));
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("B"), -1), QString::number(count));
    const QString shared = store.GetSetting(App, Section, QStringLiteral("Shared"), -1);
    QVERIFY2(shared == QStringLiteral("A%1").arg(count) ||
                 shared == QStringLiteral("B%1").arg(count),
             qPrintable(shared));
    QCOMPARE(store.GetSetting(App, Section, QStringLiteral("Octave"), -1), QStringLiteral("3"));
    const QByteArray content = contentOf(file);
    QVERIFY(content.startsWith("; hand-written\n[Clavitone]\nOctave=3\n"));
    QCOMPARE(content.count('\n'), 6);
    QCOMPARE(namesIn(dir.path()), QStringList{QStringLiteral("Kestrane.conf")});
}

void TestSettingsStore::locationIsTheUsersConfigurationFolder_data() {
    // Relative to the temporary folder; the file's folder as native bytes.
    QTest::addColumn<QByteArray>("xdgConfigHome"); // null: unset
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("expectedFolder");
    // Still in the environment after the program's start-up has cleaned it.
    QTest::addColumn<bool>("keptAtStart");
    QTest::newRow("XDG_CONFIG_HOME")
        << QByteArray("cfg") << QByteArray("home") << QByteArray("cfg") << true;
    QTest::newRow("no XDG_CONFIG_HOME")
        << QByteArray() << QByteArray("home") << QByteArray("home/.config") << false;
    QTest::newRow("a relative XDG_CONFIG_HOME is ignored")
        << QByteArray("relative") << QByteArray("home") << QByteArray("home/.config") << false;
#ifndef Q_OS_WIN // names are bytes there, in any encoding
    QTest::newRow("a name that is not UTF-8")
        << QByteArray("Konfiguration-\xE4nderung") << QByteArray("home")
        << QByteArray("Konfiguration-\xE4nderung") << true;
#endif
}

void TestSettingsStore::locationIsTheUsersConfigurationFolder() {
#ifdef Q_OS_WIN
    QSKIP("The store is in the registry on Windows (registry tests below)");
#else
    QFETCH(QByteArray, xdgConfigHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, expectedFolder);
    QFETCH(bool, keptAtStart);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray base = QFile::encodeName(dir.path()) + '/';
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    if (xdgConfigHome.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME",
                xdgConfigHome == "relative" ? xdgConfigHome : base + xdgConfigHome);
    qputenv("HOME", base + home);
    IniFileStore store;
    store.SaveSetting(App, Section, QStringLiteral("Pan"), QStringLiteral("64"));
    const QString readBack = store.GetSetting(App, Section, QStringLiteral("Pan"), -1);
    // What the program does first, for the libraries that read the variable.
    dropRelativeConfigurationHome();
    const bool kept = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", savedXdg);
    qputenv("HOME", savedHome);

    QCOMPARE(readBack, QStringLiteral("64"));
    QCOMPARE(kept, keptAtStart);
    // Looked at by its bytes: the name may be no text at all.
    struct stat status {};
    QCOMPARE(stat((base + expectedFolder + "/Kestrane.conf").constData(), &status), 0);
    QVERIFY(!QFileInfo::exists(QStringLiteral("relative")));
#endif
}

void TestSettingsStore::registryReadCreatesNothing_data() {
    QTest::addColumn<QStringList>("saved"); // "section/key" entries stored before the read

    QTest::newRow("nothing stored") << QStringList{};
    QTest::newRow("other section only") << QStringList{QStringLiteral("Other/Channel")};
    QTest::newRow("section without the entry") << QStringList{QStringLiteral("Clavitone/Pan")};
}

// Reading a missing entry gives the default and creates no key, neither the
// application's nor the section's.
void TestSettingsStore::registryReadCreatesNothing() {
#ifdef Q_OS_WIN
    QFETCH(QStringList, saved);
    const QString app = registryTestApplication();
    const RegistryCleanUp cleanUp{app};
    RegistryStore store;
    for (const QString& entry : saved)
        store.SaveSetting(app, entry.section(u'/', 0, 0), entry.section(u'/', 1),
                          QStringLiteral("7"));
    const bool appBefore = registryKeyExists(registryPath(app));
    const bool sectionBefore = registryKeyExists(registryPath(app, Section));
    QCOMPARE(appBefore, !saved.isEmpty());

    QCOMPARE(store.GetSetting(app, Section, QStringLiteral("Channel"), 13), QStringLiteral("13"));
    QCOMPARE(RegistryStore().GetSetting(app, Section, QStringLiteral("Channel"), -5),
             QStringLiteral("-5"));

    QCOMPARE(registryKeyExists(registryPath(app)), appBefore);
    QCOMPARE(registryKeyExists(registryPath(app, Section)), sectionBefore);
#else
    QSKIP("The registry is Windows' own");
#endif
}

// A save lands as a string value in the application's section key, where a
// fresh store reads it back.
void TestSettingsStore::registrySaveIsAStringValue() {
#ifdef Q_OS_WIN
    const QString app = registryTestApplication();
    const RegistryCleanUp cleanUp{app};
    RegistryStore store;
    QCOMPARE(store.location(app),
             QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + app);

    store.SaveSetting(app, Section, QStringLiteral("Channel"), QStringLiteral("5"));
    store.SaveSetting(app, Section, QStringLiteral("Pan"), QString());
    QCOMPARE(registryString(registryPath(app, Section), QStringLiteral("Channel")),
             std::optional<QString>(QStringLiteral("5")));
    QCOMPARE(registryString(registryPath(app, Section), QStringLiteral("Pan")),
             std::optional<QString>(QString()));
    QCOMPARE(RegistryStore().GetSetting(app, Section, QStringLiteral("Channel"), 13),
             QStringLiteral("5"));
    QCOMPARE(RegistryStore().GetSetting(app, Section, QStringLiteral("Pan"), 13), QString());
#else
    QSKIP("The registry is Windows' own");
#endif
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 5 && arguments[1] == QStringLiteral("--save-many"))
        return saveMany(arguments[2], arguments[3], arguments[4].toInt());
    TestSettingsStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings_store.moc"
