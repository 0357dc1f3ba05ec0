// What a screen reader hears for the bars and buttons, and that it stays true
// as the user changes the settings.

#include "keyboard/AccessibleNames.h"
#include "keyboard/SettingBar.h"
#include "support/StartedProgram.h"

#include <QAccessible>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

namespace {

QString nameOf(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("<none>");
}

QVariant valueOf(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    QAccessibleValueInterface* value = accessible ? accessible->valueInterface() : nullptr;
    return value ? value->currentValue() : QVariant();
}

} // namespace

class AccessibleNamesTest : public QObject {
    Q_OBJECT

    struct Fixture : StartedProgram {
        Fixture()
            : StartedProgram("[General MIDI]\r\n0=Acoustic Grand Piano\r\n10=Music Box\r\n") {}
        void press(SettingBar* bar, Qt::Key key) {
            bar->setFocus();
            QTest::keyClick(bar, key);
        }
    };

private slots:
    void noteNames_data() {
        QTest::addColumn<int>("note");
        QTest::addColumn<QString>("name");
        QTest::newRow("lowest") << 0 << "C-1";
        QTest::newRow("B below C0") << 11 << "B-1";
        QTest::newRow("first key, octave 2") << 24 << "C1";
        QTest::newRow("sharp") << 25 << "C#1";
        QTest::newRow("B1") << 35 << "B1";
        QTest::newRow("middle C") << 60 << "C4";
        QTest::newRow("A 440") << 69 << "A4";
        QTest::newRow("highest key, octave 4") << 73 << "C#5";
        QTest::newRow("highest MIDI note") << 127 << "G9";
    }

    void noteNames() {
        QFETCH(int, note);
        QFETCH(QString, name);
        QCOMPARE(noteName(note), name);
    }

    void theStartNamesEveryControl() {
        Fixture f;
        QCOMPARE(nameOf(f.ui->HScrollMIDIChannel), QStringLiteral("Channel 14"));
        QCOMPARE(nameOf(f.ui->HScrollVolume), QStringLiteral("Volume 50"));
        QCOMPARE(nameOf(f.ui->HScrollOctave), QStringLiteral("Octave 2"));
        QCOMPARE(nameOf(f.ui->HScrollPatch), QStringLiteral("Instrument: Acoustic Grand Piano"));
        QCOMPARE(nameOf(f.ui->HScrollPan), QStringLiteral("Pan 64"));
        QCOMPARE(valueOf(f.ui->HScrollVolume).toInt(), 50);
        QCOMPARE(valueOf(f.ui->HScrollPan).toInt(), 64);
        QCOMPARE(nameOf(f.ui->PushButton1[0]), QStringLiteral("Note C1"));
        QCOMPARE(nameOf(f.ui->PushButton1[1]), QStringLiteral("Note C#1"));
        QCOMPARE(nameOf(f.ui->PushButton1[12]), QStringLiteral("Note C2"));
        QCOMPARE(nameOf(f.ui->PushButton1[25]), QStringLiteral("Note C#3"));
        QCOMPARE(nameOf(f.ui->PushButton1[26]), QStringLiteral("Other key layouts"));
        // The value labels keep the texts the window shows.
        QCOMPARE(f.ui->lblChannel->text(), QStringLiteral("13"));
        QCOMPARE(f.ui->PushButton1[0]->text(), QStringLiteral("A"));
    }

    void namesFollowTheUsersChanges() {
        Fixture f;
        f.press(f.ui->HScrollOctave, Qt::Key_Right); // octave 3: A is note 36
        QCOMPARE(nameOf(f.ui->HScrollOctave), QStringLiteral("Octave 3"));
        QCOMPARE(nameOf(f.ui->PushButton1[0]), QStringLiteral("Note C2"));
        QCOMPARE(nameOf(f.ui->PushButton1[25]), QStringLiteral("Note C#4"));

        f.press(f.ui->HScrollPatch, Qt::Key_PageUp); // program 10
        QCOMPARE(nameOf(f.ui->HScrollPatch), QStringLiteral("Instrument: Music Box"));
        QCOMPARE(valueOf(f.ui->HScrollPatch).toInt(), 10);

        f.press(f.ui->HScrollPan, Qt::Key_Left);
        QCOMPARE(nameOf(f.ui->HScrollPan), QStringLiteral("Pan 63"));

        // Channel 13 (index 12) was never set up: its keys start at note 0, and
        // its stored values move the other bars.
        f.press(f.ui->HScrollMIDIChannel, Qt::Key_Left);
        QCOMPARE(nameOf(f.ui->HScrollMIDIChannel), QStringLiteral("Channel 13"));
        QCOMPARE(nameOf(f.ui->PushButton1[0]), QStringLiteral("Note C-1"));
        QCOMPARE(nameOf(f.ui->HScrollVolume), QStringLiteral("Volume 0"));
        QCOMPARE(nameOf(f.ui->HScrollPan), QStringLiteral("Pan 0"));
    }

    void everyFocusableControlHasANameAndADescription() {
        Fixture f;
        QStringList names;
        for (QWidget* control : f.ui->tabOrder()) {
            QVERIFY2(!nameOf(control).isEmpty(), qPrintable(control->objectName()));
            QVERIFY2(!control->accessibleDescription().isEmpty(),
                     qPrintable(control->objectName()));
            names << nameOf(control);
        }
        // A screen reader can tell every control from the others.
        names.removeDuplicates();
        QCOMPARE(names.size(), static_cast<qsizetype>(f.ui->tabOrder().size()));
    }
};

QTEST_MAIN(AccessibleNamesTest)
#include "test_accessible_names.moc"
