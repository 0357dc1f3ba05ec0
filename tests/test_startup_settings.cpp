#include "app/Program.h"
#include "keyboard/Form1Layout.h"
#include "keyboard/MainWindow.h"
#include "keyboard/SettingBar.h"
#include "support/TestServices.h"

#include <QApplication>
#include <QLabel>
#include <QLocale>
#include <QTest>

namespace {

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

// Where the five bars stand, in the order the start-up reads them: channel,
// instrument, volume, pan, octave.
QList<int> barPositions(const Form1Layout& ui) {
    return {ui.HScrollMIDIChannel->value(), ui.HScrollPatch->value(), ui.HScrollVolume->value(),
            ui.HScrollPan->value(), ui.HScrollOctave->value()};
}

} // namespace

// The start-up restores the five bars from the store, reporting each entry it
// cannot use, and nothing else changes because of them.
class TestStartUpSettings : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void restoresTheBars_data();
    void restoresTheBars();
    void unusableStoreIsReported();
};

void TestStartUpSettings::restoresTheBars_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QByteArray>("stored"); // Kestrane.conf; null: no file
    // Channel, instrument, volume, pan, octave.
    QTest::addColumn<QList<int>>("bars");
    // "description@line" for each report, in order.
    QTest::addColumn<QStringList>("reports");

    const QString c = QStringLiteral("C");
    const QList<int> defaults{13, 0, 50, 64, 2};
    const QByteArray header("[Clavitone]\n");

    QTest::newRow("empty store") << c << QByteArray() << defaults << QStringList();
    QTest::newRow("every key") << c
                               << header + "Channel=7\nPatch=127\nVolume=0\nPan=127\nOctave=4\n"
                               << QList<int>{7, 127, 0, 127, 4} << QStringList();
    QTest::newRow("half to even") << c << header + "Channel=7.5\nPatch=2.5\n"
                                  << QList<int>{8, 2, 50, 64, 2} << QStringList();
    QTest::newRow("blanks around") << c << header + "Channel=\" 7 \"\n"
                                   << QList<int>{7, 0, 50, 64, 2} << QStringList();
    QTest::newRow("decimal comma") << QStringLiteral("de_DE") << header + "Channel=7,5\n"
                                   << QList<int>{8, 0, 50, 64, 2} << QStringList();
    QTest::newRow("hand-edited file")
        << c << QByteArray("; mine\n[Clavitone]\ngarbage\n  Pan = 5 ; note\n[x\n")
        << QList<int>{13, 0, 50, 5, 2} << QStringList();

    QTest::newRow("empty channel")
        << c << header + "Channel=\nPatch=3\nVolume=4\nPan=5\nOctave=1\n"
        << QList<int>{13, 3, 4, 5, 1} << QStringList{QStringLiteral("Type mismatch@168")};
    QTest::newRow("octave out of range")
        << c << header + "Octave=9\n"
        << defaults << QStringList{QStringLiteral("Invalid property value@176")};
    QTest::newRow("volume overflow")
        << c << header + "Volume=70000\n"
        << QList<int>{13, 0, 100, 64, 2} << QStringList{QStringLiteral("Overflow@172")};
    QTest::newRow("volume out of range")
        << c << header + "Volume=101\nPan=5\nOctave=1\n"
        << QList<int>{13, 0, 100, 5, 1}
        << QStringList{QStringLiteral("Invalid property value@172")};
    QTest::newRow("two bad entries") << c << header + "Patch=abc\nPan=-1\nOctave=3\n"
                                     << QList<int>{13, 0, 50, 0, 3}
                                     << QStringList{QStringLiteral("Type mismatch@170"),
                                                    QStringLiteral("Invalid property value@174")};
    QTest::newRow("variant text") << c << header + "Channel=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\a)\n"
                                  << defaults << QStringList{QStringLiteral("Type mismatch@168")};
    QTest::newRow("other sections")
        << c << QByteArray("[Clavitone2]\nChannel=1\n[General]\nChannel=1\n[Other]\nPan=1\n")
        << defaults << QStringList();
}

void TestStartUpSettings::restoresTheBars() {
    QFETCH(QString, locale);
    QFETCH(QByteArray, stored);
    QFETCH(QList<int>, bars);
    QFETCH(QStringList, reports);
    QLocale::setDefault(QLocale(locale));

    TestServices t;
    QVERIFY(t.settingsDir.isValid());
    const QString file = t.settingsDir.filePath(QStringLiteral("Kestrane.conf"));
    if (!stored.isNull())
        writeFile(file, stored);
    // Another application's entries are never read.
    writeFile(t.settingsDir.filePath(QStringLiteral("Other.conf")),
              "[Clavitone]\nChannel=1\nPatch=1\nVolume=1\nPan=1\nOctave=1\n");
    const QStringList filesBefore =
        QDir(t.settingsDir.path()).entryList(QDir::Files | QDir::Hidden);

    Program p(t.make());
    p.start();

    const Form1Layout& ui = p.window().ui();
    QCOMPARE(barPositions(ui), bars);

    QStringList reported;
    for (const RecordedReport& report : t.reporter->reports) {
        QCOMPARE(report.tag, QStringLiteral("in Clavitone2021/08/31.Form1.Form_Load "));
        reported << report.description + QLatin1Char('@') + QString::number(report.line);
    }
    QCOMPARE(reported, reports);

    // The bars moved, nothing else: the start-up messages only, the start
    // state, the design texts of the value labels, the store untouched.
    QCOMPARE(t.midi->packedMessages(), (std::vector<std::uint32_t>{205, 2749}));
    QCOMPARE(p.state().currentChannel, 13);
    QCOMPARE(p.state().currentVolume, 100);
    QCOMPARE(p.state().channelPatch[13], 0);
    QCOMPARE(p.state().channelPan[13], 0);
    QCOMPARE(p.state().channelBaseNote[13], 24);
    QCOMPARE(ui.lblChannel->text(), QStringLiteral("13"));
    QCOMPARE(ui.lblVolume->text(), QStringLiteral("100"));
    QCOMPARE(ui.lblOctave->text(), QStringLiteral("2"));
    QCOMPARE(ui.lblPan->text(), QStringLiteral("0"));
    QCOMPARE(QDir(t.settingsDir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    QCOMPARE(contentOf(file), stored.isNull() ? QByteArray() : stored);
}

// A store that can be neither read nor written: one fault, one report at the
// first read; the other bars take their defaults, as from an empty store. Every
// save is reported, and the program goes on without its settings.
void TestStartUpSettings::unusableStoreIsReported() {
    TestServices t;
    QVERIFY(t.settingsDir.isValid());
    QVERIFY(QDir().mkpath(t.settingsDir.filePath(QStringLiteral("Kestrane.conf"))));
    Program p(t.make());
    p.start();

    const Form1Layout& ui = p.window().ui();
    QCOMPARE(barPositions(ui), (QList<int>{13, 0, 50, 64, 2})); // the channel bar's design position
    QStringList reported;
    for (const RecordedReport& report : t.reporter->reports)
        reported << report.description + QLatin1Char('@') + report.location();
    const QString access = QStringLiteral("Path/File access error@");
    const QString load = QStringLiteral("in Clavitone2021/08/31.Form1.Form_Load at line ");
    QCOMPARE(reported, QStringList{access + load + QStringLiteral("168")});

    t.reporter->reports.clear();
    ui.HScrollMIDIChannel->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(t.reporter->reports.size(), std::size_t(1));
    QCOMPARE(t.reporter->reports[0].description, QStringLiteral("Path/File access error"));
    QCOMPARE(t.reporter->reports[0].location(),
             QStringLiteral("in Clavitone2021/08/31.Form1.HScrollMIDIChannel_Click at line 100"));
    QCOMPARE(p.state().currentChannel, 14); // the handler went on
}

QTEST_MAIN(TestStartUpSettings)
#include "test_startup_settings.moc"
