// The uniform error trap and the text of its report.

#include "app/Program.h"
#include "appearance/MessageBoxes.h"
#include "keyboard/MainWindow.h"
#include "midi/MidiPort.h"
#include "shell/ErrorTrap.h"
#include "shell/Pause.h"
#include "support/RecorderOutput.h"
#include "support/TestServices.h"

#include <QtTest>

#include <set>

Q_DECLARE_METATYPE(ChannelMessage)

namespace {

// A procedure shaped like the program's trapped ones: plain steps, a
// conditional, a counted loop and calls to an untrapped and a trapped callee.
// `failing` names the steps that fail; the trace records what ran.
struct ScriptedProcedure {
    RecordingErrorReporter& reporter;
    std::set<int> failing;
    QStringList trace;

    void mayFail(int line) {
        trace << QString::number(line);
        if (failing.count(line))
            throw Failure(QStringLiteral("failure %1").arg(line));
    }

    void untrappedCallee() {
        trace << QStringLiteral("callee");
        mayFail(900);
        trace << QStringLiteral("callee end");
    }

    void trappedCallee() {
        ErrorTrap trap(reporter, QStringLiteral("in Test.Module.Callee "));
        trap.step(100, [&] { mayFail(1100); });
        trap.step(102, [&] { trace << QStringLiteral("callee 102"); });
    }

    void run() {
        ErrorTrap trap(reporter, QStringLiteral("in Test.Module.Procedure "));
        trap.step(100, [&] { mayFail(100); });
        if (trap.test(102, [&] {
                mayFail(102);
                return false; // the condition is not met unless its test fails
            }))
            trap.step(104, [&] { mayFail(104); });
        int counter = 0;
        trap.step(110, [&] { counter = 1; });
        do {
            trap.step(112, [&] { mayFail(112); });
        } while (trap.advance(114, [&] {
            mayFail(114);
            return ++counter <= 3;
        }));
        trap.step(120, [&] { untrappedCallee(); });
        trap.step(122, [&] { trappedCallee(); });
        trap.step(124, [&] { mayFail(124); });
    }
};

QString joined(const std::vector<RecordedReport>& reports) {
    QStringList parts;
    for (const RecordedReport& report : reports)
        parts << report.description + QLatin1Char('@') + report.tag + QString::number(report.line);
    return parts.join(QStringLiteral(" | "));
}

} // namespace

class ErrorTrapTest : public QObject {
    Q_OBJECT

private slots:
    void rules_data() {
        QTest::addColumn<QList<int>>("failing");
        QTest::addColumn<QString>("trace");
        QTest::addColumn<QString>("reports");
        const QString clean =
            "100 102 112 114 112 114 112 114 callee 900 callee end 1100 callee 102 124";
        QTest::newRow("no failure") << QList<int>{} << clean << "";
        QTest::newRow("a step fails: the next one runs")
            << QList<int>{100} << clean << "failure 100@in Test.Module.Procedure 100";
        QTest::newRow("a failed test enters the conditional")
            << QList<int>{102}
            << "100 102 104 112 114 112 114 112 114 callee 900 callee end 1100 callee 102 124"
            << "failure 102@in Test.Module.Procedure 102";
        QTest::newRow("a failed advance leaves the loop")
            << QList<int>{114} << "100 102 112 114 callee 900 callee end 1100 callee 102 124"
            << "failure 114@in Test.Module.Procedure 114";
        QTest::newRow("an untrapped callee reports under the caller")
            << QList<int>{900} << "100 102 112 114 112 114 112 114 callee 900 1100 callee 102 124"
            << "failure 900@in Test.Module.Procedure 120";
        QTest::newRow("a trapped callee reports under its own tag")
            << QList<int>{1100} << clean << "failure 1100@in Test.Module.Callee 100";
        QTest::newRow("two failures in one run, two reports in order")
            << QList<int>{100, 124} << clean
            << "failure 100@in Test.Module.Procedure 100 | failure 124@in Test.Module.Procedure "
               "124";
        QTest::newRow("the last step fails: the procedure returns")
            << QList<int>{124} << clean << "failure 124@in Test.Module.Procedure 124";
    }
    void rules() {
        QFETCH(QList<int>, failing);
        QFETCH(QString, trace);
        QFETCH(QString, reports);
        RecordingErrorReporter reporter;
        ScriptedProcedure procedure{reporter, {failing.begin(), failing.end()}, {}};
        procedure.run();
        QCOMPARE(procedure.trace.join(QLatin1Char(' ')), trace);
        QCOMPARE(joined(reporter.reports), reports);
    }

    void otherExceptionsCarryTheirOwnText() {
        RecordingErrorReporter reporter;
        ErrorTrap trap(reporter, QStringLiteral("in X.Y.Z "));
        QVERIFY(!trap.step(100, [] { throw std::runtime_error("Device not ready"); }));
        QCOMPARE(joined(reporter.reports), QStringLiteral("Device not ready@in X.Y.Z 100"));
    }

    void reportText_data() {
        QTest::addColumn<QString>("description");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("start-up")
            << "Invalid property value"
            << "in Clavitone2021/08/31.Form1.Form_Load " << 172
            << QByteArray("Invalid property value\r\nin Clavitone2021/08/31.Form1.Form_Load at "
                          "line 172\r\rPlease email screenshot of this message to "
                          "support@kestrane.org");
        QTest::newRow("markup stays text")
            << "<b>Overflow</b>"
            << "in Clavitone2021/08/31.modPiano.SendMidiOut " << 102
            << QByteArray("<b>Overflow</b>\r\nin Clavitone2021/08/31.modPiano.SendMidiOut at "
                          "line 102\r\rPlease email screenshot of this message to "
                          "support@kestrane.org");
    }
    void reportText() {
        QFETCH(QString, description);
        QFETCH(QString, tag);
        QFETCH(int, line);
        QFETCH(QByteArray, text);
        QCOMPARE(errorReportText(description, tag, line).toUtf8(), text);
    }

    void theBoxShowsTheIntendedLineBreaks() {
        const QString shown = withDisplayLineBreaks(
            errorReportText(QStringLiteral("Overflow"), QStringLiteral("in A.B.C "), 100));
        QCOMPARE(shown, QStringLiteral("Overflow\nin A.B.C at line 100\n\nPlease email screenshot "
                                       "of this message to support@kestrane.org"));
    }

    void allTagsOfTheProgram_data() {
        QTest::addColumn<QString>("module");
        QTest::addColumn<QString>("procedure");
        for (const char* procedure :
             {"Form_Load", "Form_QueryUnload", "Form_KeyPress", "PushButton1_Click",
              "HScrollMIDIChannel_Click", "HScrollOctave_Click", "HScrollPan_Click",
              "HScrollPatch_Click", "HScrollVolume_Click"})
            QTest::newRow(procedure) << "Form1" << procedure;
        for (const char* procedure : {"MidiOutOpenPort", "ReadPatch", "SendMidiOut"})
            QTest::newRow(procedure) << "modPiano" << procedure;
    }
    void allTagsOfTheProgram() {
        QFETCH(QString, module);
        QFETCH(QString, procedure);
        QCOMPARE(locationTag(qPrintable(module), qPrintable(procedure)),
                 QStringLiteral("in Clavitone2021/08/31.") + module + QLatin1Char('.') + procedure +
                     QLatin1Char(' '));
    }

    void aChannelBeyondTheTablesIsABoundsError() {
        TestServices t;
        Program program(t.make(/*realClock=*/false));
        program.start();
        t.midi->clear();
        program.state().currentChannel = 17;
        program.window().keyPressed(u'a');
        t.manualClock->advance(0.5);
        program.pause().serviceDue();
        QCOMPARE(joined(t.reporter->reports),
                 QStringLiteral("Subscript out of range@in Clavitone2021/08/31.Form1."
                                "PushButton1_Click 110"));
        // The procedure goes on: the send runs with the registers as they stand.
        QCOMPARE(t.midi->messages().size(), std::size_t{1});
    }

    void anOverflowInTheSenderIsItsOwn() {
        TestServices t;
        Program program(t.make());
        program.start();
        t.midi->clear();
        MidiState& state = program.state();
        state.midiStatus = 0x9D;
        state.midiData1 = 60;
        state.midiData2 = 40000; // 40000 * 65536 leaves the 32-bit range
        program.port().SendMidiOut();
        QCOMPARE(joined(t.reporter->reports),
                 QStringLiteral("Overflow@in Clavitone2021/08/31.modPiano.SendMidiOut 102"));
        // Steps 104 and 106 still run, without the failed part.
        QCOMPARE(t.midi->packedMessages(), std::vector<std::uint32_t>{0x3C9D});
    }

    void channelMessagesRunInNumberedSteps_data() {
        QTest::addColumn<ChannelMessage>("message");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("reports");
        QTest::addColumn<quint32>("sent");
        QTest::newRow("program change") << ChannelMessage::ProgramChange << 13 << "" << 0x05CDu;
        QTest::newRow("pan") << ChannelMessage::Pan << 13 << "" << 0x400ABDu;
        QTest::newRow("program change beyond the tables: data 1 fails, the send runs")
            << ChannelMessage::ProgramChange << 17 << "Subscript out of range@in X 108" << 0xD1u;
        QTest::newRow("pan beyond the tables: data 2 fails, the send runs")
            << ChannelMessage::Pan << 17 << "Subscript out of range@in X 110" << 0x0AC1u;
    }
    void channelMessagesRunInNumberedSteps() {
        QFETCH(ChannelMessage, message);
        QFETCH(int, channel);
        QFETCH(QString, reports);
        QFETCH(quint32, sent);
        RecordingErrorReporter reporter;
        RecorderOutput output;
        MidiState state;
        MidiPort port(state, output, reporter);
        port.MidiOutOpenPort();
        state.channelPatch[13] = 5;
        state.channelPan[13] = 64;
        state.currentChannel = static_cast<std::int16_t>(channel);
        ErrorTrap trap(reporter, QStringLiteral("in X "));
        port.sendInSteps(trap, 106, message);
        QCOMPARE(joined(reporter.reports), reports);
        QCOMPARE(output.packedMessages(), std::vector<std::uint32_t>{sent});
    }

    void aReportDuringStartUpAppearsAndStartUpCompletes() {
        TestServices t;
        Services services = t.make();
        t.random->value = 0.065; // the visit to the home page is drawn...
        t.opener->fail = true;   // ...and fails
        bool windowHiddenDuringReport = false;
        Program* started = nullptr;
        t.reporter->onReport = [&] { windowHiddenDuringReport = !started->window().isVisible(); };
        Program program(std::move(services));
        started = &program;
        program.start();
        QCOMPARE(t.reporter->reports.size(), std::size_t{1});
        QVERIFY(windowHiddenDuringReport);
        QVERIFY(program.window().isVisible());
        QCOMPARE(t.midi->packedMessages(), (std::vector<std::uint32_t>{205, 2749}));
    }
};

QTEST_MAIN(ErrorTrapTest)
#include "test_error_trap.moc"
