// The "MIDI Output" menu: switching between the built-in synthesiser and the
// system's ports, and the choice coming back at the next start.

#include "app/Program.h"
#include "keyboard/MainWindow.h"
#include "keyboard/SettingBar.h"
#include "midi/MidiPort.h"
#include "midi/OutputChoice.h"
#include "shell/SettingsStore.h"
#include "support/TestServices.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

namespace {

const QString BuiltIn = QStringLiteral("Built-in synthesiser");
const QString Synth = QStringLiteral("Hardware Synth:Port 1 20:0");
const QString Other = QStringLiteral("softsynth:midi_in (JACK)");

std::uint32_t message(int status, int data1, int data2) {
    return static_cast<std::uint32_t>(status | data1 << 8 | data2 << 16);
}

// The start-up's program change and pan on channel index 13.
const std::vector<std::uint32_t> StartMessages{message(0xCD, 0, 0), message(0xBD, 10, 0)};

QMenu* openMenu() {
    return qobject_cast<QMenu*>(QApplication::activePopupWidget());
}

QStringList entries(QMenu* menu) {
    QStringList names;
    for (QAction* action : menu->actions())
        if (action->isCheckable())
            names << action->text() + (action->isChecked() ? QStringLiteral(" *") : QString());
    return names;
}

QAction* entry(QMenu* menu, const QString& name) {
    for (QAction* action : menu->actions())
        if (action->isCheckable() && action->text() == name)
            return action;
    return nullptr;
}

void rightClick(QWidget* widget, const QPoint& at) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &event);
}

QString storedChoice(SettingsStore& store) {
    return store.GetSetting(QStringLiteral("Kestrane"), QStringLiteral("Clavitone"),
                            QStringLiteral("MidiOut"), 0);
}

struct Fixture {
    TestServices t;
    std::unique_ptr<Program> program;

    explicit Fixture(const QString& stored = QString()) {
        Services services = t.make();
        t.ports->names = {Synth, Other};
        if (!stored.isNull())
            t.settings->SaveSetting(QStringLiteral("Kestrane"), QStringLiteral("Clavitone"),
                                    QStringLiteral("MidiOut"), stored);
        program = std::make_unique<Program>(std::move(services));
        program->start();
    }
    ~Fixture() {
        if (QWidget* popup = QApplication::activePopupWidget())
            popup->close();
    }
    Form1& window() { return program->window(); }
    void choose(const QString& name) {
        window().outputMenuRequested(window().mapToGlobal(QPoint(5, 5)));
        QMenu* menu = openMenu();
        QVERIFY(menu);
        QAction* action = entry(menu, name);
        QVERIFY2(action, qPrintable(name));
        action->trigger();
        menu->close();
    }
    // A note played after the chosen port went away (its server died).
    void playAfterThePortIsLost() {
        choose(Synth);
        t.midi->clear();
        t.ports->recorder(Synth)->loseDevice();
        window().keyPressed(u'b');
    }
};

} // namespace

class OutputMenuTest : public QObject {
    Q_OBJECT

private slots:
    void rightClickOnTheSurfaceListsEveryOutput() {
        Fixture f;
        rightClick(&f.window(), QPoint(3, 430)); // below the frame, left of the buttons
        QTRY_VERIFY_WITH_TIMEOUT(openMenu(), 5000);
        QCOMPARE(openMenu()->title(), QStringLiteral("MIDI Output"));
        QCOMPARE(openMenu()->actions().first()->text(), QStringLiteral("MIDI Output"));
        QCOMPARE(entries(openMenu()), (QStringList{BuiltIn + " *", Synth, Other}));
    }

    void rightClickOnTheFrameOpensTheMenuButNotOnANoteButton() {
        Fixture f;
        QPushButton* button = f.window().ui().PushButton1[3];
        rightClick(button, button->rect().center());
        QVERIFY(!openMenu());
        QWidget* frame = f.window().ui().Frame1;
        rightClick(frame, QPoint(frame->width() - 3, frame->height() - 3));
        QTRY_VERIFY_WITH_TIMEOUT(openMenu(), 5000);
    }

    void theKeyboardOpensTheMenu_data() {
        QTest::addColumn<int>("focus"); // 0..4 a bar in tab order, 5.. a note button
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Shift+F10 on the channel bar")
            << 0 << int(Qt::Key_F10) << int(Qt::ShiftModifier);
        QTest::newRow("Menu key on the pan bar") << 4 << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("Menu key on button A") << 5 << int(Qt::Key_Menu) << int(Qt::NoModifier);
        QTest::newRow("Shift+F10 on ?") << 31 << int(Qt::Key_F10) << int(Qt::ShiftModifier);
    }

    void theKeyboardOpensTheMenu() {
        QFETCH(int, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Fixture f;
        f.window().activateWindow();
        QWidget* target = f.window().ui().tabOrder()[static_cast<std::size_t>(focus)];
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_VERIFY_WITH_TIMEOUT(openMenu(), 5000);
        QCOMPARE(entries(openMenu()).size(), 3);
        // The key opened the menu and played nothing.
        QVERIFY(f.t.reporter->reports.empty());
        QCOMPARE(f.t.midi->packedMessages(), StartMessages);
    }

    void lettersStillPlayOnAControlThatTakesMenuKeys() {
        Fixture f;
        f.window().ui().HScrollPan->setFocus();
        QTest::keyClick(f.window().ui().HScrollPan, Qt::Key_A, Qt::NoModifier);
        QTRY_COMPARE_WITH_TIMEOUT(f.t.midi->packedMessages().size(), std::size_t{3}, 5000);
        QCOMPARE(f.t.midi->packedMessages().back(), message(0x9D, 24, 100));
        QVERIFY(!openMenu());
    }

    void choosingAPortMovesTheSoundThereWithProgramAndPan() {
        Fixture f;
        Form1Layout& ui = f.window().ui();
        ui.HScrollPatch->setFocus();
        QTest::keyClick(ui.HScrollPatch, Qt::Key_PageUp); // program 10
        ui.HScrollPan->setFocus();
        QTest::keyClick(ui.HScrollPan, Qt::Key_Right); // pan 65
        f.t.midi->clear();

        f.choose(Synth);
        QCOMPARE(f.program->outputChoice().current(), Synth);
        QCOMPARE(f.t.midi->closeCount(), 1);
        QVERIFY(!f.t.midi->isOpen());
        QVERIFY(f.t.midi->packedMessages().empty());
        RecorderOutput* port = f.t.ports->recorder(Synth);
        QVERIFY(port);
        QVERIFY(port->isOpen());
        QCOMPARE(port->packedMessages(),
                 (std::vector<std::uint32_t>{message(0xCD, 10, 0), message(0xBD, 10, 65)}));
        QVERIFY(f.program->state().hMidiOut != 0);
        QCOMPARE(storedChoice(*f.t.settings), Synth);

        // Notes follow the choice.
        f.window().keyPressed(u'b');
        QTRY_COMPARE_WITH_TIMEOUT(port->packedMessages().size(), std::size_t{3}, 5000);
        QCOMPARE(port->packedMessages().back(), message(0x9D, 25, 100));
        QVERIFY(f.t.midi->packedMessages().empty());

        // And back to the built-in synthesiser, which gets the same program and pan.
        f.choose(BuiltIn);
        QCOMPARE(port->closeCount(), 1);
        QVERIFY(!port->isOpen());
        QVERIFY(f.t.midi->isOpen());
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{message(0xCD, 10, 0), message(0xBD, 10, 65)}));
        QCOMPARE(storedChoice(*f.t.settings), BuiltIn);
        QVERIFY(f.t.reporter->reports.empty());
    }

    // The chosen port goes away while playing (its server died): the next note
    // sounds through the built-in synthesiser, with the channel's program and
    // pan, and the output menu says so once. No box.
    void aLostPortFallsBackToTheBuiltInSynthesiser() {
        Fixture f;
        Form1Layout& ui = f.window().ui();
        ui.HScrollPatch->setFocus();
        QTest::keyClick(ui.HScrollPatch, Qt::Key_PageUp); // program 10
        f.playAfterThePortIsLost();
        QTRY_COMPARE_WITH_TIMEOUT(f.t.midi->packedMessages().size(), std::size_t{3}, 5000);
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{message(0xCD, 10, 0), message(0xBD, 10, 0),
                                             message(0x9D, 25, 100)}));
        QVERIFY(f.t.midi->isOpen());
        QCOMPARE(f.t.ports->recorder(Synth)->closeCount(), 1);
        QCOMPARE(f.program->outputChoice().current(), BuiltIn);
        QVERIFY(f.t.reporter->reports.empty());

        for (const bool first : {true, false}) {
            f.window().outputMenuRequested(f.window().mapToGlobal(QPoint(5, 5)));
            QMenu* menu = openMenu();
            QVERIFY(menu);
            QAction* notice = menu->findChild<QAction*>(QStringLiteral("MidiOutputNotice"));
            QCOMPARE(notice != nullptr, first);
            if (notice)
                QCOMPARE(notice->text(),
                         Synth + QStringLiteral(" went away; playing through the built-in "
                                                "synthesiser."));
            QCOMPARE(entries(menu), (QStringList{BuiltIn + QStringLiteral(" *"), Synth, Other}));
            menu->close();
        }
    }

    // The built-in synthesiser that takes over from a lost port is given the
    // channel's own pan, not the start-up's.
    void aLostPortHandsOnThePan() {
        Fixture f;
        Form1Layout& ui = f.window().ui();
        ui.HScrollPan->setFocus();
        QTest::keyClick(ui.HScrollPan, Qt::Key_Right); // pan 65
        f.playAfterThePortIsLost();
        QTRY_COMPARE_WITH_TIMEOUT(f.t.midi->packedMessages().size(), std::size_t{3}, 5000);
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{message(0xCD, 0, 0), message(0xBD, 10, 65),
                                             message(0x9D, 25, 100)}));
    }

    void choosingTheOutputInUseChangesNothing() {
        Fixture f;
        f.choose(BuiltIn);
        QCOMPARE(f.t.midi->closeCount(), 0);
        QCOMPARE(f.t.midi->packedMessages(), StartMessages);
        QCOMPARE(storedChoice(*f.t.settings), QStringLiteral("0")); // never written
    }

    void aPortGoneBeforeTheChoiceChangesNothing() {
        Fixture f;
        f.window().outputMenuRequested(QPoint(5, 5));
        QTRY_VERIFY_WITH_TIMEOUT(openMenu(), 5000);
        f.t.ports->names = {Other}; // unplugged while the menu is open
        entry(openMenu(), Synth)->trigger();
        QCOMPARE(f.program->outputChoice().current(), BuiltIn);
        QVERIFY(f.t.midi->isOpen());
        QCOMPARE(f.t.midi->closeCount(), 0);
        QCOMPARE(storedChoice(*f.t.settings), QStringLiteral("0"));
        QVERIFY(f.t.reporter->reports.empty());
    }

    void theChoiceSurvivesARestart() {
        Fixture f;
        f.choose(Other);

        TestServices second;
        second.sharedSettingsFolder = f.t.settingsDir.path();
        Services services = second.make();
        second.ports->names = {Synth, Other};
        Program again(std::move(services));
        again.start();
        QCOMPARE(again.outputChoice().current(), Other);
        // The start-up's two messages go to the stored port, the built-in gets nothing.
        QCOMPARE(second.ports->made, QStringList{Other});
        QCOMPARE(second.ports->recorder(Other)->packedMessages(), StartMessages);
        QCOMPARE(second.midi->openCount(), 0);
        QVERIFY(second.midi->packedMessages().empty());
        QVERIFY(second.reporter->reports.empty());

        again.window().outputMenuRequested(QPoint(5, 5));
        QTRY_VERIFY_WITH_TIMEOUT(openMenu(), 5000);
        QCOMPARE(entries(openMenu()), (QStringList{BuiltIn, Synth, Other + " *"}));
        openMenu()->close();
    }

    void anUnusableStoredChoiceFallsBackQuietly_data() {
        QTest::addColumn<QString>("stored");
        QTest::newRow("absent") << QString();
        QTest::newRow("empty") << QStringLiteral("");
        QTest::newRow("a port that is gone") << QStringLiteral("Unplugged:Port 1 24:0");
        QTest::newRow("a port named differently in case") << Synth.toUpper();
        QTest::newRow("the built-in synthesiser") << BuiltIn;
    }

    void anUnusableStoredChoiceFallsBackQuietly() {
        QFETCH(QString, stored);
        Fixture f(stored);
        QCOMPARE(f.program->outputChoice().current(), BuiltIn);
        QVERIFY(f.t.ports->made.isEmpty());
        QCOMPARE(f.t.midi->openCount(), 1);
        QCOMPARE(f.t.midi->packedMessages(), StartMessages);
        QVERIFY(f.t.reporter->reports.empty());
    }

    void aPortThatCannotOpenIsSilentLikeAMissingDevice() {
        Fixture f;
        f.choose(Synth);
        // The next start finds the port but the device refuses to open.
        TestServices second;
        second.sharedSettingsFolder = f.t.settingsDir.path();
        Services services = second.make();
        second.ports->names = {Synth};
        Program again(std::move(services));
        second.ports->recorders[Synth] = std::make_unique<RecorderOutput>(/*failOpen=*/true);
        again.start();
        QCOMPARE(again.state().hMidiOut, MidiHandle{0});
        QVERIFY(second.ports->recorder(Synth)->packedMessages().empty());
        QVERIFY(second.reporter->reports.empty());
    }
};

QTEST_MAIN(OutputMenuTest)
#include "test_output_menu.moc"
