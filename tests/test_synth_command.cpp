// Taking packed short messages apart for the built-in synthesiser.

#include "midi/backends/SynthCommand.h"

#include <QTest>

Q_DECLARE_METATYPE(SynthCommand::Kind)

class TestSynthCommand : public QObject {
    Q_OBJECT

private slots:
    void playedMessages_data() {
        QTest::addColumn<quint32>("message");
        QTest::addColumn<SynthCommand::Kind>("kind");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("data1");
        QTest::addColumn<int>("data2");
        using Kind = SynthCommand::Kind;
        QTest::newRow("note on, channel 14, note 24, velocity 100")
            << quint32(0x0064189D) << Kind::NoteOn << 13 << 24 << 100;
        QTest::newRow("program 0, channel 14")
            << quint32(0x000000CD) << Kind::ProgramChange << 13 << 0 << 0;
        QTest::newRow("pan 0, channel 14")
            << quint32(0x00000ABD) << Kind::ControlChange << 13 << 10 << 0;
        QTest::newRow("pan 127, channel 1")
            << quint32(0x007F0AB0) << Kind::ControlChange << 0 << 10 << 127;
        QTest::newRow("note on, velocity 0") << quint32(0x00004590) << Kind::NoteOn << 0 << 69 << 0;
        QTest::newRow("program change drops its second byte")
            << quint32(0x00557FCF) << Kind::ProgramChange << 15 << 127 << 0;
        QTest::newRow("top byte is not part of the message")
            << quint32(0xAB644590) << Kind::NoteOn << 0 << 69 << 100;
    }
    void playedMessages() {
        QFETCH(quint32, message);
        QFETCH(SynthCommand::Kind, kind);
        QFETCH(int, channel);
        QFETCH(int, data1);
        QFETCH(int, data2);
        const auto command = synthCommandFor(message);
        QVERIFY(command.has_value());
        QCOMPARE(command->kind, kind);
        QCOMPARE(command->channel, channel);
        QCOMPARE(command->data1, data1);
        QCOMPARE(command->data2, data2);
    }

    void ignoredMessages_data() {
        QTest::addColumn<quint32>("message");
        QTest::newRow("note off") << quint32(0x00404580);
        QTest::newRow("key pressure") << quint32(0x007F45A0);
        QTest::newRow("channel pressure") << quint32(0x00007FD0);
        QTest::newRow("pitch bend") << quint32(0x00407FE0);
        QTest::newRow("system exclusive") << quint32(0x000000F0);
        QTest::newRow("timing clock") << quint32(0x000000F8);
        QTest::newRow("system reset") << quint32(0x000000FF);
        QTest::newRow("no status byte") << quint32(0x00644545);
        QTest::newRow("zero") << quint32(0);
        QTest::newRow("note above 127") << quint32(0x00648090);
        QTest::newRow("velocity above 127") << quint32(0x00C84590);
        QTest::newRow("controller above 127") << quint32(0x004080B0);
        QTest::newRow("program above 127") << quint32(0x000080C0);
    }
    void ignoredMessages() {
        QFETCH(quint32, message);
        QVERIFY(!synthCommandFor(message).has_value());
    }
};

QTEST_GUILESS_MAIN(TestSynthCommand)
#include "test_synth_command.moc"
