// Finding a running sound server without starting one, the order of the audio
// drivers, and the search for a soundfont.

#include "midi/backends/SoundfontSearch.h"
#ifdef CLAVITONE_HAVE_SOUND_SERVERS
#include "midi/backends/soundservers/SoundServers.h"
#include "support/ListeningSocket.h"
#endif
#ifdef CLAVITONE_HAVE_FLUIDSYNTH
#include "midi/backends/fluidsynth/FluidSynthDriverSink.h"
#endif

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

#include <string>

#ifdef CLAVITONE_HAVE_SOUND_SERVERS
namespace {

EnvironmentLookup environmentOf(const QHash<QString, QString>& variables) {
    return [variables](const char* name) -> std::optional<std::string> {
        const auto found = variables.find(QString::fromLatin1(name));
        if (found == variables.end())
            return std::nullopt;
        return found->toStdString();
    };
}

// No user has this id, so no runtime folder of a real user comes in.
constexpr unsigned NoSuchUser = 3999999;

} // namespace
#endif

class TestSoundServers : public QObject {
    Q_OBJECT

private slots:
#ifdef CLAVITONE_HAVE_SOUND_SERVERS
    // The servers are found through Unix sockets, which only their Unix
    // builds open: asked on Unix only.
    void init() {
        if (unixSocketAccepts("/run/pulse/native"))
            QSKIP("A system-wide PulseAudio server runs on this machine");
    }

    void pulseAudioFound_data() {
        QTest::addColumn<QString>("variable");
        QTest::addColumn<QString>("socketBelowVariable");
        QTest::newRow("PULSE_RUNTIME_PATH") << "PULSE_RUNTIME_PATH"
                                            << "native";
        QTest::newRow("XDG_RUNTIME_DIR") << "XDG_RUNTIME_DIR"
                                         << "pulse/native";
    }
    void pulseAudioFound() {
        QFETCH(QString, variable);
        QFETCH(QString, socketBelowVariable);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("pulse")));
        const auto environment = environmentOf({{variable, dir.path()}});
        QVERIFY(!pulseAudioServerRunning(environment, NoSuchUser));

        ListeningSocket server(dir.filePath(socketBelowVariable).toStdString());
        QVERIFY(server.listening());
        QVERIFY(pulseAudioServerRunning(environment, NoSuchUser));
    }

    void pulseAudioNamedByTheUserIsTried() {
        const auto environment = environmentOf({{"PULSE_SERVER", "tcp:soundbox:4713"}});
        QVERIFY(pulseAudioServerRunning(environment, NoSuchUser));
    }

    void leftoverSocketIsNoServer_data() {
        QTest::addColumn<bool>("socketFile");
        QTest::newRow("socket of a server that ended") << true;
        QTest::newRow("plain file in its place") << false;
    }
    void leftoverSocketIsNoServer() {
        QFETCH(bool, socketFile);
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("native")).toStdString();
        if (socketFile) {
            ListeningSocket ended(path); // closed at the end of this block; its file stays
            QVERIFY(ended.listening());
        } else {
            QFile plain(QString::fromStdString(path));
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
        QVERIFY(QFile::exists(QString::fromStdString(path)));
        const auto environment = environmentOf({{"PULSE_RUNTIME_PATH", dir.path()}});
        QVERIFY(!pulseAudioServerRunning(environment, NoSuchUser));
    }

    void socketPathTooLongIsRefused() {
        QVERIFY(!unixSocketAccepts(std::string(200, 'x')));
        QVERIFY(!unixSocketAccepts(std::string()));
    }

    void jackSockets_data() {
        QTest::addColumn<QString>("serverName");
        QTest::addColumn<QString>("jack2Socket");
        QTest::newRow("default server") << QString() << "/dev/shm/jack_default_1000_0";
        QTest::newRow("named server") << "studio"
                                      << "/dev/shm/jack_studio_1000_0";
    }
    void jackSockets() {
        QFETCH(QString, serverName);
        QFETCH(QString, jack2Socket);
        QHash<QString, QString> variables;
        if (!serverName.isEmpty())
            variables.insert(QStringLiteral("JACK_DEFAULT_SERVER"), serverName);
        const auto paths = jackSocketPaths(environmentOf(variables), 1000);
        QVERIFY(!paths.empty());
        QCOMPARE(QString::fromStdString(paths.front()), jack2Socket);
        QVERIFY(!jackServerRunning(environmentOf(variables), NoSuchUser));
    }

#endif

#ifdef CLAVITONE_HAVE_FLUIDSYNTH
    void driverOrder_data() {
        QTest::addColumn<bool>("pulseAudio");
        QTest::addColumn<bool>("jack");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("nothing running") << false << false << QStringList{"alsa", "sdl2"};
        QTest::newRow("PulseAudio") << true << false << QStringList{"pulseaudio", "alsa", "sdl2"};
        QTest::newRow("JACK") << false << true << QStringList{"alsa", "jack", "sdl2"};
        QTest::newRow("both") << true << true << QStringList{"pulseaudio", "alsa", "jack", "sdl2"};
    }
    void driverOrder() {
        QFETCH(bool, pulseAudio);
        QFETCH(bool, jack);
        QFETCH(QStringList, order);
        QStringList actual;
        for (const auto& driver : FluidSynthDriverSink::driverOrder(pulseAudio, jack))
            actual << QString::fromStdString(driver);
        QCOMPARE(actual, order);
    }
#endif

    void soundfontSearch_data() {
        QTest::addColumn<QStringList>("candidates"); // "file:", "dir:" or "missing:" + name
        QTest::addColumn<QString>("chosen");
        QTest::newRow("first there") << QStringList{"file:a.sf2", "file:b.sf2"} << "a.sf2";
        QTest::newRow("first missing") << QStringList{"missing:a.sf2", "file:b.sf2"} << "b.sf2";
        QTest::newRow("folder skipped") << QStringList{"dir:a.sf2", "file:b.sf2"} << "b.sf2";
        QTest::newRow("none there") << QStringList{"missing:a.sf2", "dir:b.sf2"} << QString();
        QTest::newRow("no candidates") << QStringList{} << QString();
    }
    void soundfontSearch() {
        QFETCH(QStringList, candidates);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        std::vector<std::string> paths;
        for (const auto& candidate : candidates) {
            const QString kind = candidate.section(':', 0, 0);
            const QString path = dir.filePath(candidate.section(':', 1));
            if (kind == "file") {
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly));
            } else if (kind == "dir") {
                QVERIFY(QDir().mkpath(path));
            }
            paths.push_back(path.toStdString());
        }
        const QString found = QString::fromStdString(firstReadableFile(paths));
        QCOMPARE(found, chosen.isEmpty() ? QString() : dir.filePath(chosen));
    }

    void synthesiserDefaultComesFirst() {
        const auto withDefault = generalMidiSoundfontCandidates("/opt/fonts/mine.sf2");
        QCOMPARE(withDefault.front(), std::string("/opt/fonts/mine.sf2"));
        const auto withoutDefault = generalMidiSoundfontCandidates("");
        QCOMPARE(withoutDefault.size(), withDefault.size() - 1);
        QCOMPARE(withoutDefault.front(), std::string("/usr/share/sounds/sf2/default-GM.sf2"));
    }
};

QTEST_GUILESS_MAIN(TestSoundServers)
#include "test_sound_servers.moc"
