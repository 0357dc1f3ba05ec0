#include "app/Program.h"
#include "keyboard/Form1Layout.h"
#include "keyboard/MainWindow.h"
#include "keyboard/SettingBar.h"
#include "midi/MidiState.h"
#include "midi/PatchNames.h"
#include "shell/NativeFolder.h"
#include "shell/ProfileReader.h"
#include "shell/ProgramFolder.h"
#include "support/TestServices.h"

#include <QLabel>
#include <QTest>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace {

const QString ReadPatchTag = QStringLiteral("in Clavitone2021/08/31.modPiano.ReadPatch ");

QByteArray numbered(int first, int last) {
    QByteArray file = "[General MIDI]\r\n";
    for (int number = first; number <= last; ++number)
        file += QByteArray::number(number) + "=Name " + QByteArray::number(number) + "\r\n";
    return file;
}

QByteArray shippedFile() {
    QFile file(QStringLiteral(CLAVITONE_SOURCE_DIR "/resources/PATCH.INI"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the shipped PATCH.INI is missing");
    return file.readAll();
}

// The program change the instrument bar sends on channel index 13.
std::uint32_t programChange(int program) {
    return 0xC0u + 13u + (static_cast<std::uint32_t>(program) << 8);
}

} // namespace

class PatchNamesTest : public QObject {
    Q_OBJECT

private slots:
    // ReadPatch on its own: the name of the current channel's program.
    void showsNameOfCurrentProgram_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("program");
        QTest::addColumn<QString>("expected");

        const QByteArray shipped = shippedFile();
        QTest::newRow("shipped, program 0") << shipped << 13 << 0 << "Acoustic Grand Piano";
        QTest::newRow("shipped, program 127") << shipped << 13 << 127 << "Gunshot";
        QTest::newRow("shipped, program 40, channel 0") << shipped << 0 << 40 << "Violin";
        QTest::newRow("numbered 1 to 128, program 0") << numbered(1, 128) << 13 << 0 << "";
        QTest::newRow("numbered 1 to 128, program 1") << numbered(1, 128) << 13 << 1 << "Name 1";
        QTest::newRow("numbered 1 to 128, program 127")
            << numbered(1, 128) << 13 << 127 << "Name 127";
        QTest::newRow("lower-case section")
            << QByteArray("[general midi]\n5=Honky\n") << 13 << 5 << "Honky";
        QTest::newRow("section missing") << QByteArray("[GM]\n5=Honky\n") << 13 << 5 << "";
        QTest::newRow("name of 300 characters")
            << QByteArray("[General MIDI]\n7=" + QByteArray(300, 'n') + "\n") << 13 << 7
            << QString(254, u'n');
        QTest::newRow("markup shown as text")
            << QByteArray("[General MIDI]\n9=<b>Bold</b> <img src=\"x.png\">\n") << 13 << 9
            << "<b>Bold</b> <img src=\"x.png\">";
    }

    void showsNameOfCurrentProgram() {
        QFETCH(QByteArray, file);
        QFETCH(int, channel);
        QFETCH(int, program);
        QFETCH(QString, expected);

        TestServices t;
        Services services = t.make();
        t.writeProgramFile(QStringLiteral("PATCH.INI"), file);
        MidiState state;
        state.currentChannel = static_cast<std::int16_t>(channel);
        state.channelPatch[channel] = static_cast<std::int16_t>(program);
        QStringList shown;
        PatchNames names(state, *t.reporter, services.programFolder,
                         [&](const QString& name) { shown << name; });
        names.ReadPatch();
        QCOMPARE(shown, QStringList{expected});
        QVERIFY(t.reporter->reports.empty());
    }

    // The file is read on every call, so an edit shows at the next change.
    void readsFileAfresh() {
        TestServices t;
        Services services = t.make();
        MidiState state;
        QStringList shown;
        PatchNames names(state, *t.reporter, services.programFolder,
                         [&](const QString& name) { shown << name; });
        names.ReadPatch();
        t.writeProgramFile(QStringLiteral("PATCH.INI"), "[General MIDI]\n0=Before\n");
        names.ReadPatch();
        t.writeProgramFile(QStringLiteral("PATCH.INI"), "[General MIDI]\n0=After\n");
        names.ReadPatch();
        QFile::remove(t.programDir.filePath(QStringLiteral("PATCH.INI")));
        names.ReadPatch();
        QCOMPARE(shown, (QStringList{"", "Before", "After", ""}));
    }

    // Failures inside the lookup are reported under its own tag, and the
    // lookup goes on with its next step.
    void reportsFailuresUnderItsOwnTag_data() {
        QTest::addColumn<int>("channel");
        QTest::addColumn<bool>("showFails");
        QTest::addColumn<QList<int>>("lines");
        QTest::addColumn<QStringList>("shown");

        QTest::newRow("channel outside the tables")
            << 17 << false << QList<int>{106} << QStringList{""};
        QTest::newRow("channel 16 is still a table entry")
            << 16 << false << QList<int>{} << QStringList{"Zero"};
        QTest::newRow("showing the name fails") << 13 << true << QList<int>{112} << QStringList{};
    }

    void reportsFailuresUnderItsOwnTag() {
        QFETCH(int, channel);
        QFETCH(bool, showFails);
        QFETCH(QList<int>, lines);
        QFETCH(QStringList, shown);

        TestServices t;
        Services services = t.make();
        t.writeProgramFile(QStringLiteral("PATCH.INI"), "[General MIDI]\n0=Zero\n");
        MidiState state;
        state.currentChannel = static_cast<std::int16_t>(channel);
        QStringList names;
        PatchNames patchNames(state, *t.reporter, services.programFolder, [&](const QString& name) {
            if (showFails)
                throw Failure::invalidPropertyValue();
            names << name;
        });
        patchNames.ReadPatch();
        QList<int> reported;
        for (const RecordedReport& report : t.reporter->reports) {
            QCOMPARE(report.tag, ReadPatchTag);
            reported << report.line;
        }
        QCOMPARE(reported, lines);
        QCOMPARE(names, shown);
    }

    // The whole program: the shipped file copied beside it names the start
    // instrument, and the bar shows each new name.
    void startUpAndBarShowShippedNames() {
        TestServices t;
        t.writeProgramFile(QStringLiteral("PATCH.INI"), shippedFile());
        Program program(t.make());
        QLabel* label = program.window().ui().lblPatch;
        QCOMPARE(label->text(), QStringLiteral("MIDI"));
        program.start();
        QCOMPARE(label->text(), QStringLiteral("Acoustic Grand Piano"));
        QCOMPARE(label->textFormat(), Qt::PlainText);

        SettingBar* bar = program.window().ui().HScrollPatch;
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(label->text(), QStringLiteral("Bright Acoustic Piano"));
        bar->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(label->text(), QStringLiteral("Gunshot"));
        QVERIFY(t.reporter->reports.empty());
    }

    // Without the file the label stays empty, and the program changes are
    // still sent.
    void fileAbsent() {
        TestServices t;
        Program program(t.make());
        program.start();
        QLabel* label = program.window().ui().lblPatch;
        QCOMPARE(label->text(), QString());

        SettingBar* bar = program.window().ui().HScrollPatch;
        const int startValue = bar->value();
        t.midi->clear();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(label->text(), QString());
        bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(label->text(), QString());
        QCOMPARE(t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{programChange(startValue + 1),
                                             programChange(startValue + 11)}));
        QVERIFY(t.reporter->reports.empty());
    }

    // Every file the program reads beside itself is named from the folder
    // with its links resolved.
    // A folder named in another encoding than the user's (the program copied
    // in from an old archive, say) is found by its bytes.
    void aFolderNamedInAnyEncodingIsFound() {
#ifndef Q_OS_WIN // names are bytes there; elsewhere they are text
        QTemporaryDir base;
        QVERIFY(base.isValid());
        const QByteArray name = QFile::encodeName(base.path()) + "/Programm-\xFC\xE4";
        const QString folder = folderFromNativeName(name, true);
        QVERIFY(!folder.isEmpty());
        QFile file(folder + QStringLiteral("/PATCH.INI"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General MIDI]\r\n0=Acoustic Grand Piano\r\n");
        file.close();
        QCOMPARE(readProfileString(folder + QStringLiteral("/PATCH.INI"),
                                   QStringLiteral("General MIDI"), QStringLiteral("0"), QString(),
                                   254),
                 QStringLiteral("Acoustic Grand Piano"));
        QCOMPARE(::access((name + "/PATCH.INI").constData(), R_OK), 0);
        QCOMPARE(folderFromNativeName(name, false), folder); // one descriptor per folder
#else
        QSKIP("names are text on this platform");
#endif
    }

    void programFolderResolvesLinks() {
        QTemporaryDir base;
        QVERIFY(base.isValid());
#ifndef Q_OS_WIN
        // On Windows QFile::link makes a shell shortcut, which names no folder
        // to the file system; a program started through one has its real folder.
        const QString real = base.filePath(QStringLiteral("real"));
        const QString link = base.filePath(QStringLiteral("link"));
        QVERIFY(QDir().mkdir(real));
        QVERIFY(QFile::link(real, link));
        const QString canonical = QFileInfo(real).canonicalFilePath();

        QCOMPARE(resolvedFolder(link), canonical);
        QCOMPARE(resolvedFolder(link + QStringLiteral("/")), canonical);
#endif
        QCOMPARE(resolvedFolder(base.filePath(QStringLiteral("gone/"))),
                 QDir::cleanPath(base.filePath(QStringLiteral("gone"))));
        const QString folder = programFolder();
        QVERIFY(!folder.endsWith(u'/'));
        QCOMPARE(folder, QFileInfo(QCoreApplication::applicationFilePath()).canonicalPath());
    }
};

QTEST_MAIN(PatchNamesTest)
#include "test_patch_names.moc"
