// Letter keys and note buttons: which note, when, in which order.

#include "app/Program.h"
#include "keyboard/MainWindow.h"
#include "keyboard/NoteKeys.h"
#include "keyboard/SettingBar.h"
#include "midi/ShortMessage.h"
#include "shell/Pause.h"
#include "support/TestServices.h"

#include <QPushButton>
#include <QtTest>

#include <chrono>

namespace {

std::uint32_t noteOn(int channel, int note, int velocity) {
    return static_cast<std::uint32_t>(0x90 + channel) | (static_cast<std::uint32_t>(note) << 8) |
           (static_cast<std::uint32_t>(velocity) << 16);
}

// Counts the key presses that reach a widget.
class KeyCounter : public QObject {
public:
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress)
            ++presses;
        return false;
    }
};

} // namespace

class NoteKeysTest : public QObject {
    Q_OBJECT

    // A started program on a clock the test moves, with the start-up messages cleared.
    struct Fixture {
        TestServices t;
        Program program;
        Fixture() : program(t.make(/*realClock=*/false)) {
            program.start();
            t.midi->clear();
        }
        void press(char16_t key) { program.window().keyPressed(key); }
        void advance(double seconds) {
            t.manualClock->advance(seconds);
            program.pause().serviceDue();
        }
    };

private slots:
    void letters_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("note"); // -1: nothing plays
        QTest::newRow("A") << "A" << 24;
        QTest::newRow("a") << "a" << 24;
        QTest::newRow("B") << "B" << 25;
        QTest::newRow("m") << "m" << 36;
        QTest::newRow("Z") << "Z" << 49;
        QTest::newRow("z") << "z" << 49;
        QTest::newRow("digit") << "7" << -1;
        QTest::newRow("blank") << " " << -1;
        QTest::newRow("@ before A") << "@" << -1;
        QTest::newRow("[ after Z") << "[" << -1;
        QTest::newRow("` before a") << "`" << -1;
        QTest::newRow("{ after z") << "{" << -1;
        QTest::newRow("e acute") << QString(QChar(0x00E9)) << -1;
        QTest::newRow("A umlaut") << QString(QChar(0x00C4)) << -1;
        QTest::newRow("fullwidth A") << QString(QChar(0xFF21)) << -1;
    }
    void letters() {
        QFETCH(QString, key);
        QFETCH(int, note);
        Fixture f;
        f.press(key.at(0).unicode());
        // The output is woken at the press, not when the note goes.
        QCOMPARE(f.t.midi->prepareCount(), note < 0 ? 0 : 1);
        f.advance(0.5);
        if (note < 0) {
            QVERIFY(f.t.midi->messages().empty());
            QCOMPARE(f.program.pause().pending(), std::size_t{0});
        } else {
            QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{noteOn(13, note, 100)});
        }
        QVERIFY(f.t.reporter->reports.empty());
    }

    void theStartNoteOnChannel14Packs() {
        Fixture f;
        f.press(u'A');
        f.advance(0.5);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{0x0064189Du});
    }

    void octaveAndVolumeReachTheNote_data() {
        QTest::addColumn<int>("baseNote");
        QTest::addColumn<int>("volume");
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("note");
        QTest::newRow("octave 0, A") << 0 << 100 << "A" << 0;
        QTest::newRow("octave 4, Z") << 48 << 100 << "Z" << 73;
        QTest::newRow("volume 0") << 24 << 0 << "a" << 24;
        QTest::newRow("volume 37") << 36 << 37 << "c" << 38;
    }
    void octaveAndVolumeReachTheNote() {
        QFETCH(int, baseNote);
        QFETCH(int, volume);
        QFETCH(QString, key);
        QFETCH(int, note);
        Fixture f;
        MidiState& state = f.program.state();
        state.channelBaseNote[state.currentChannel] = static_cast<std::int16_t>(baseNote);
        state.currentVolume = static_cast<std::int16_t>(volume);
        f.press(key.at(0).unicode());
        f.advance(0.5);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{noteOn(13, note, volume)});
    }

    void aNoteIsNeverEarly() {
        Fixture f;
        f.press(u'a');
        f.advance(0.499);
        QVERIFY(f.t.midi->messages().empty());
        f.advance(0.001);
        QCOMPARE(f.t.midi->messages().size(), std::size_t{1});
    }

    void quickPressesSoundTogetherLastFirst() {
        Fixture f;
        f.press(u'a');
        f.advance(0.1);
        f.press(u'b');
        f.advance(0.1);
        f.press(u'c');
        f.advance(0.49);
        QVERIFY(f.t.midi->messages().empty());
        f.advance(0.01); // 0.7 s after the first press
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{noteOn(13, 26, 100), noteOn(13, 25, 100),
                                             noteOn(13, 24, 100)}));
    }

    void aPressAfterTheWaitsEndedStartsAfresh() {
        Fixture f;
        f.press(u'a');
        f.advance(0.6);
        f.press(u'b');
        f.advance(0.3);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{noteOn(13, 24, 100)});
        f.advance(0.2);
        QCOMPARE(f.t.midi->messages().size(), std::size_t{2});
    }

    void settingsChangedDuringTheWaitApplyToThatNote() {
        Fixture f;
        f.press(u'b');
        f.advance(0.2);
        MidiState& state = f.program.state();
        state.currentChannel = 3; // a channel never used: base note 0
        state.currentVolume = 64;
        f.advance(0.3);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{noteOn(3, 1, 64)});
    }

    void aWaitAcrossMidnightLastsItsFullHalfSecond() {
        Fixture f;
        f.t.manualClock->set(86399.8);
        f.press(u'a');
        f.advance(0.3); // the clock reads 0.1 now
        QVERIFY(f.t.midi->messages().empty());
        f.advance(0.19);
        QVERIFY(f.t.midi->messages().empty());
        f.advance(0.01);
        QCOMPARE(f.t.midi->messages().size(), std::size_t{1});
    }

    void theQuestionButtonShowsItsMessageAndSendsNothing() {
        Fixture f;
        f.program.window().ui().PushButton1.at(26)->click();
        QCOMPARE(f.t.midi->prepareCount(), 0);
        f.advance(0.4);
        QVERIFY(f.t.notices->notices.isEmpty());
        f.advance(0.1);
        QCOMPARE(f.t.notices->notices,
                 QStringList{QStringLiteral(
                     "Please email support@kestrane.org if you would like the interface to be "
                     "changed.\rInstead of A-Z scale, I might be able to do FACE EGBDF or other "
                     "suggestions.")});
        QVERIFY(f.t.midi->messages().empty());
    }

    void aClickTakesTheSameRoadAsItsLetter() {
        Fixture f;
        f.program.window().ui().PushButton1.at(4)->click();
        f.press(u'E');
        f.advance(0.5);
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{noteOn(13, 28, 100), noteOn(13, 28, 100)}));
    }

    void anOpenMessageHoldsThePressesBelowIt() {
        Fixture f;
        f.press(u'a');
        f.advance(0.1);
        f.program.window().ui().PushButton1.at(26)->click();
        bool heldWhileOpen = false;
        f.t.notices->onNotice = [&] {
            // The user takes two seconds to read the message.
            f.advance(2.0);
            heldWhileOpen = f.t.midi->messages().empty();
        };
        f.advance(0.5);
        QCOMPARE(f.t.notices->notices.size(), 1);
        QVERIFY(heldWhileOpen);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{noteOn(13, 24, 100)});
    }

    void typedKeysArePreviewedAndStillReachTheFocusedControl() {
        Fixture f;
        Form1& window = f.program.window();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* focused = QApplication::focusWidget();
        QCOMPARE(focused, window.ui().HScrollMIDIChannel);
        KeyCounter counter;
        focused->installEventFilter(&counter);
        QTest::keyClicks(focused, QStringLiteral("Qz1"));
        QCOMPARE(counter.presses, 3);
        QCOMPARE(f.program.pause().pending(), std::size_t{2}); // "1" plays nothing
        f.advance(0.5);
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{noteOn(13, 49, 100), noteOn(13, 40, 100)}));
        // The letters did not move the bar.
        QCOMPARE(window.ui().HScrollMIDIChannel->value(), 13);
    }

    void keysTypedOnANoteButtonPlayOnce() {
        Fixture f;
        Form1& window = f.program.window();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.ui().PushButton1.at(3)->setFocus();
        QTest::keyClick(window.ui().PushButton1.at(3), Qt::Key_G);
        f.advance(0.5);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{noteOn(13, 30, 100)});
    }

    // On the real clock: the true timing, end to end.
    void threePressesOnTheRealClock() {
        TestServices t;
        Program program(t.make(/*realClock=*/true));
        program.start();
        t.midi->clear();
        using Steady = std::chrono::steady_clock;
        const Steady::time_point first = Steady::now();
        program.window().keyPressed(u'a');
        program.window().keyPressed(u'b');
        program.window().keyPressed(u'c');
        const Steady::time_point last = Steady::now();
        QTRY_COMPARE_WITH_TIMEOUT(t.midi->messages().size(), std::size_t{3}, 5000);
        const auto& sent = t.midi->messages();
        QCOMPARE(sent[0].message, noteOn(13, 26, 100));
        QCOMPARE(sent[1].message, noteOn(13, 25, 100));
        QCOMPARE(sent[2].message, noteOn(13, 24, 100));
        for (const auto& message : sent)
            QVERIFY(message.sentAt - last >= std::chrono::milliseconds(500));
        QVERIFY(sent.front().sentAt - first >= std::chrono::milliseconds(500));
    }
};

QTEST_MAIN(NoteKeysTest)
#include "test_note_keys.moc"
