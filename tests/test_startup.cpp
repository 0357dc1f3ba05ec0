// Start-up and shutdown of the main window against recorded services.

#include "app/Program.h"
#include "keyboard/MainWindow.h"
#include "keyboard/SettingBar.h"
#include "midi/MidiState.h"
#include "shell/Pause.h"
#include "support/TestServices.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

class StartUpTest : public QObject {
    Q_OBJECT

private slots:
    void sendsProgramChangeThenPanAndNothingElse() {
        TestServices t;
        Program program(t.make());
        program.start();
        QCOMPARE(t.midi->openCount(), 1);
        QCOMPARE(t.midi->packedMessages(), (std::vector<std::uint32_t>{205, 2749}));
        QVERIFY(t.reporter->reports.empty());
    }

    void setsTheFixedStartState() {
        TestServices t;
        Program program(t.make());
        program.start();
        const MidiState& state = program.state();
        QCOMPARE(state.currentChannel, 13);
        QCOMPARE(state.channelPatch[13], 0);
        QCOMPARE(state.currentVolume, 100);
        QCOMPARE(state.channelVolume[13], 100);
        QCOMPARE(state.channelPan[13], 0);
        QCOMPARE(state.channelBaseNote[13], 24);
        QVERIFY(state.hMidiOut != 0);
        // Every other channel is untouched.
        for (int channel = 0; channel < ChannelTable::Size; ++channel) {
            if (channel == 13)
                continue;
            QCOMPARE(state.channelBaseNote[channel], 0);
            QCOMPARE(state.channelVolume[channel], 0);
        }
        // The registers hold the last message sent: pan 0 on channel 13.
        QCOMPARE(state.midiStatus, 189);
        QCOMPARE(state.midiData1, 10);
        QCOMPARE(state.midiData2, 0);
    }

    void lettersTheButtonsAndKeepsTheDesignCaptions() {
        TestServices t;
        Program program(t.make());
        program.start();
        const Form1Layout& ui = program.window().ui();
        for (int index = 0; index < 26; ++index)
            QCOMPARE(ui.PushButton1.at(static_cast<std::size_t>(index))->text(),
                     QString(QChar('A' + index)));
        QCOMPARE(ui.PushButton1.at(26)->text(), QStringLiteral("?"));
        QCOMPARE(ui.lblChannel->text(), QStringLiteral("13"));
        QCOMPARE(ui.lblVolume->text(), QStringLiteral("100"));
        QCOMPARE(ui.lblOctave->text(), QStringLiteral("2"));
        QCOMPARE(ui.lblPan->text(), QStringLiteral("0"));
        QCOMPARE(program.window().windowTitle(), QStringLiteral("Clavitone"));
        const QList<QSize> sizes = program.window().windowIcon().availableSizes();
        for (const int side : {32, 48, 128, 256})
            QVERIFY(sizes.contains(QSize(side, side)));
    }

    void showsTheWindowWithTheFocusOnTheChannelBar() {
        TestServices t;
        Program program(t.make());
        program.start();
        QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
        program.window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&program.window()));
        QCOMPARE(QApplication::focusWidget(), program.window().ui().HScrollMIDIChannel);
    }

    void runsSilentlyWithoutAMidiDevice() {
        TestServices t;
        Program program(t.make(/*realClock=*/true, /*midiFails=*/true));
        program.start();
        QCOMPARE(program.state().hMidiOut, MidiHandle{0});
        QVERIFY(t.reporter->reports.empty());
        QVERIFY(t.midi->messages().empty());
        program.window().keyPressed(u'a');
        QTRY_COMPARE_WITH_TIMEOUT(program.pause().pending(), std::size_t{0}, 5000);
        QVERIFY(t.midi->messages().empty());
        QVERIFY(t.reporter->reports.empty());
    }

    void homePage_data() {
        QTest::addColumn<double>("draw");
        QTest::addColumn<bool>("opens");
        QTest::newRow("n = 1") << 0.0 << false;
        QTest::newRow("n = 6") << 0.0599 << false;
        QTest::newRow("n = 7, low edge") << 0.06 << true;
        QTest::newRow("n = 7, high edge") << 0.0699 << true;
        QTest::newRow("n = 8") << 0.07 << false;
        QTest::newRow("n = 100") << 0.9999 << false;
    }
    void homePage() {
        QFETCH(double, draw);
        QFETCH(bool, opens);
        TestServices t;
        Services services = t.make();
        t.random->value = draw;
        Program program(std::move(services));
        program.start();
        QCOMPARE(t.random->seeds.size(), std::size_t{1});
        QCOMPARE(t.opener->opened.size(), opens ? std::size_t{1} : std::size_t{0});
        if (opens) {
            QVERIFY(t.opener->opened.front().isLocalFile());
            QVERIFY(t.opener->opened.front().toLocalFile().startsWith(t.programDir.path()));
        }
    }

    void aHomePageThatCannotOpenIsReportedAtStep110AndStartUpGoesOn() {
        TestServices t;
        Services services = t.make();
        t.random->value = 0.065;
        t.opener->fail = true;
        Program program(std::move(services));
        program.start();
        QCOMPARE(t.reporter->reports.size(), std::size_t{1});
        QCOMPARE(t.reporter->reports.front().location(),
                 QStringLiteral("in Clavitone2021/08/31.Form1.Form_Load at line 110"));
        QCOMPARE(t.midi->packedMessages(), (std::vector<std::uint32_t>{205, 2749}));
        QCOMPARE(program.window().ui().PushButton1.at(25)->text(), QStringLiteral("Z"));
    }

    void closingClosesTheDeviceOnceAndEndsTheProgram() {
        TestServices t;
        Program program(t.make());
        program.start();
        QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
        QVERIFY(program.window().close());
        QCOMPARE(t.midi->closeCount(), 1);
        QVERIFY(!t.midi->isOpen());
        QCOMPARE(t.endCount, 1);
        QVERIFY(program.ended());
        QVERIFY(t.reporter->reports.empty());
        // Nothing runs any more after the end.
        program.window().keyPressed(u'a');
        QCOMPARE(program.pause().pending(), std::size_t{0});
    }

    void closingDuringAWaitEndsThereAndThatNoteIsNeverSent() {
        TestServices t;
        Program program(t.make(/*realClock=*/false));
        program.start();
        t.midi->clear();
        program.window().keyPressed(u'c');
        QCOMPARE(program.pause().pending(), std::size_t{1});
        t.manualClock->advance(0.2);
        program.window().close();
        t.manualClock->advance(1.0);
        program.pause().serviceDue();
        QVERIFY(t.midi->messages().empty());
        QCOMPARE(t.midi->closeCount(), 1);
        QCOMPARE(t.endCount, 1);
    }
};

QTEST_MAIN(StartUpTest)
#include "test_startup.moc"
