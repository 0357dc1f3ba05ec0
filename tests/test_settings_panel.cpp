// The "MIDI Settings" bars, moved as a user moves them.

#include "keyboard/SettingBar.h"
#include "shell/Pause.h"
#include "shell/SettingsStore.h"
#include "support/StartedProgram.h"

#include <QDialog>
#include <QLabel>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>

namespace {

QRect partOf(SettingBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
}

void clickPart(SettingBar* bar, QStyle::SubControl part) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, partOf(bar, part).center());
}

// Clicks the trough between the thumb and the right arrow.
void clickTroughRight(SettingBar* bar) {
    const QRect thumb = partOf(bar, QStyle::SC_ScrollBarSlider);
    const QRect arrow = partOf(bar, QStyle::SC_ScrollBarAddLine);
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      QPoint((thumb.right() + arrow.left()) / 2, bar->height() / 2));
}

std::uint32_t message(int status, int data1, int data2) {
    return static_cast<std::uint32_t>(status | data1 << 8 | data2 << 16);
}

} // namespace

class SettingsPanelTest : public QObject {
    Q_OBJECT

    struct Fixture : StartedProgram {
        explicit Fixture(bool realClock = true)
            : StartedProgram("[General MIDI]\r\n0=Acoustic Grand Piano\r\n40=Violin\r\n"
                             "127=Gunshot\r\n",
                             realClock) {
            QVERIFY(QTest::qWaitForWindowExposed(&program->window()));
            program->window().activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&program->window()));
            t.midi->clear();
        }
        QString stored(const char* key) const {
            return t.settings->GetSetting(QLatin1String(SettingsAppName),
                                          QLatin1String(SettingsSection), QLatin1String(key), -1);
        }
        void drag(SettingBar* bar, int toValue) {
            const QRect thumb = partOf(bar, QStyle::SC_ScrollBarSlider);
            const QRect groove = partOf(bar, QStyle::SC_ScrollBarGroove);
            const int span = groove.width() - thumb.width();
            const int x = groove.left() + thumb.width() / 2 +
                          span * (toValue - bar->minimum()) / (bar->maximum() - bar->minimum());
            QTest::mousePress(bar, Qt::LeftButton, {}, thumb.center());
            QMouseEvent move(QEvent::MouseMove, QPointF(x, thumb.center().y()),
                             bar->mapToGlobal(QPointF(x, thumb.center().y())), Qt::LeftButton,
                             Qt::LeftButton, {});
            QApplication::sendEvent(bar, &move);
        }
    };

private slots:
    void theChannelBarToItsFirstPosition() {
        Fixture f;
        f.ui->HScrollMIDIChannel->setFocus();
        QTest::keyClick(f.ui->HScrollMIDIChannel, Qt::Key_Home);
        QCOMPARE(f.ui->HScrollMIDIChannel->value(), 0);
        QCOMPARE(f.stored("Channel"), QStringLiteral("0"));
        QCOMPARE(f.ui->lblChannel->text(), QStringLiteral(" 1"));
        QCOMPARE(f.program->state().currentChannel, 0);
        QVERIFY(f.t.midi->messages().empty());
    }

    void arrowKeysMoveTheFocusedBarByOne() {
        Fixture f;
        f.ui->HScrollVolume->setFocus();
        QTest::keyClick(f.ui->HScrollVolume, Qt::Key_Left);
        QCOMPARE(f.ui->HScrollVolume->value(), 49);
        QCOMPARE(f.stored("Volume"), QStringLiteral("49"));
        QCOMPARE(f.ui->lblVolume->text(), QStringLiteral(" 49"));
        QCOMPARE(f.program->state().currentVolume, 49);
        QCOMPARE(f.program->state().channelVolume[13], 49);
    }

    void theInstrumentBarTo127() {
        Fixture f;
        f.ui->HScrollPatch->setFocus();
        QTest::keyClick(f.ui->HScrollPatch, Qt::Key_End);
        QCOMPARE(f.stored("Patch"), QStringLiteral("127"));
        QCOMPARE(f.ui->lblPatch->text(), QStringLiteral("Gunshot"));
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{message(0xCD, 127, 0)});
        QCOMPARE(f.program->state().channelPatch[13], 127);
    }

    void arrowAndTroughClicksUseTheirSteps() {
        Fixture f;
        // The instrument bar starts at 0: an arrow click moves it by one, the trough by ten.
        clickPart(f.ui->HScrollPatch, QStyle::SC_ScrollBarAddLine);
        QCOMPARE(f.ui->HScrollPatch->value(), 1);
        clickTroughRight(f.ui->HScrollPatch);
        QCOMPARE(f.ui->HScrollPatch->value(), 11);
        clickPart(f.ui->HScrollPatch, QStyle::SC_ScrollBarSubLine);
        QCOMPARE(f.ui->HScrollPatch->value(), 10);
        QCOMPARE(f.stored("Patch"), QStringLiteral("10"));
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{message(0xCD, 1, 0), message(0xCD, 11, 0),
                                             message(0xCD, 10, 0)}));
        QCOMPARE(f.ui->lblPatch->text(), QString()); // no name for program 10 in this file
    }

    void panFullyLeftAndRight() {
        Fixture f;
        f.ui->HScrollPan->setFocus();
        QTest::keyClick(f.ui->HScrollPan, Qt::Key_End);
        QCOMPARE(f.ui->lblPan->text(), QStringLiteral("127"));
        QTest::keyClick(f.ui->HScrollPan, Qt::Key_Home);
        QCOMPARE(f.ui->lblPan->text(), QStringLiteral("0"));
        QCOMPARE(f.stored("Pan"), QStringLiteral("0"));
        QCOMPARE(f.t.midi->packedMessages(),
                 (std::vector<std::uint32_t>{message(0xBD, 10, 127), message(0xBD, 10, 0)}));
    }

    void aDraggedThumbNotifiesOnlyOnRelease() {
        Fixture f;
        SettingBar* pan = f.ui->HScrollPan;
        f.drag(pan, 100);
        QVERIFY(f.t.midi->messages().empty());
        QCOMPARE(f.stored("Pan"), QStringLiteral("-1")); // nothing stored yet
        QTest::mouseRelease(pan, Qt::LeftButton, {},
                            partOf(pan, QStyle::SC_ScrollBarSlider).center());
        QVERIFY(pan->value() > 64);
        QCOMPARE(f.t.midi->packedMessages(),
                 std::vector<std::uint32_t>{message(0xBD, 10, pan->value())});
        QCOMPARE(f.stored("Pan"), QString::number(pan->value()));
        QCOMPARE(f.ui->lblPan->text(), QString::number(pan->value()));
    }

    void volumeZeroSendsNothingAndLaterNotesAreSilent() {
        Fixture f;
        f.ui->HScrollVolume->setFocus();
        QTest::keyClick(f.ui->HScrollVolume, Qt::Key_Home);
        QCOMPARE(f.ui->lblVolume->text(), QStringLiteral(" 0"));
        QVERIFY(f.t.midi->messages().empty());
        f.program->window().keyPressed(u'a');
        QTRY_COMPARE_WITH_TIMEOUT(f.t.midi->messages().size(), std::size_t{1}, 5000);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{message(0x9D, 24, 0)});
    }

    void octaveFourMakesZPlay73() {
        Fixture f;
        f.ui->HScrollOctave->setFocus();
        QTest::keyClick(f.ui->HScrollOctave, Qt::Key_End);
        QCOMPARE(f.ui->lblOctave->text(), QStringLiteral(" 4"));
        QCOMPARE(f.stored("Octave"), QStringLiteral("4"));
        QVERIFY(f.t.midi->messages().empty());
        f.program->window().keyPressed(u'Z');
        QTRY_COMPARE_WITH_TIMEOUT(f.t.midi->messages().size(), std::size_t{1}, 5000);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{message(0x9D, 73, 100)});
    }

    void anUnusedChannelMovesOnlyTheBars() {
        Fixture f;
        const QString labelsBefore = f.ui->lblVolume->text() + f.ui->lblOctave->text() +
                                     f.ui->lblPan->text() + f.ui->lblPatch->text();
        f.ui->HScrollMIDIChannel->setFocus();
        QTest::keyClick(f.ui->HScrollMIDIChannel, Qt::Key_Home);
        QTest::keyClick(f.ui->HScrollMIDIChannel, Qt::Key_Right);
        QTest::keyClick(f.ui->HScrollMIDIChannel, Qt::Key_Right); // channel index 2
        QCOMPARE(f.ui->lblChannel->text(), QStringLiteral(" 3"));
        for (SettingBar* bar :
             {f.ui->HScrollPatch, f.ui->HScrollVolume, f.ui->HScrollPan, f.ui->HScrollOctave})
            QCOMPARE(bar->value(), 0);
        QCOMPARE(f.ui->lblVolume->text() + f.ui->lblOctave->text() + f.ui->lblPan->text() +
                     f.ui->lblPatch->text(),
                 labelsBefore);
        QCOMPARE(f.program->state().currentVolume, 100);
        for (const char* key : {"Patch", "Volume", "Pan", "Octave"})
            QCOMPARE(f.stored(key), QStringLiteral("-1"));
        QVERIFY(f.t.midi->messages().empty());
        f.program->window().keyPressed(u'A');
        QTRY_COMPARE_WITH_TIMEOUT(f.t.midi->messages().size(), std::size_t{1}, 5000);
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{message(0x92, 0, 100)});
    }

    void twoChannelsKeepSeparateInstruments() {
        Fixture f;
        SettingBar* channel = f.ui->HScrollMIDIChannel;
        SettingBar* patch = f.ui->HScrollPatch;
        auto chooseChannel = [&](int value) {
            channel->setFocus();
            for (int i = 0; i < 16 && channel->value() != value; ++i)
                QTest::keyClick(channel, value < channel->value() ? Qt::Key_Left : Qt::Key_Right);
        };
        auto choosePatch = [&](int value) {
            patch->setFocus();
            for (int i = 0; i < 13 && patch->value() != value; ++i)
                QTest::keyClick(patch, value < patch->value() ? Qt::Key_PageDown : Qt::Key_PageUp);
        };
        chooseChannel(1);
        choosePatch(40);
        QCOMPARE(f.ui->lblPatch->text(), QStringLiteral("Violin"));
        chooseChannel(5);
        QCOMPARE(patch->value(), 0);
        choosePatch(10);
        choosePatch(0);
        chooseChannel(1);
        QCOMPARE(patch->value(), 40);
        chooseChannel(5);
        QCOMPARE(patch->value(), 0);
        QCOMPARE(f.program->state().channelPatch[1], 40);
        QCOMPARE(f.program->state().channelPatch[5], 0);
        QCOMPARE(f.stored("Patch"), QStringLiteral("0"));
        QCOMPARE(f.t.midi->packedMessages().back(), message(0xC5, 0, 0));
    }

    void aRestartBringsEveryBarBack() {
        Fixture f;
        const std::pair<SettingBar*, Qt::Key> moves[] = {
            {f.ui->HScrollMIDIChannel, Qt::Key_Left}, {f.ui->HScrollVolume, Qt::Key_PageUp},
            {f.ui->HScrollOctave, Qt::Key_Right},     {f.ui->HScrollPatch, Qt::Key_PageUp},
            {f.ui->HScrollPan, Qt::Key_Right},
        };
        for (const auto& [bar, key] : moves) {
            bar->setFocus();
            QTest::keyClick(bar, key);
        }
        QCOMPARE(f.ui->HScrollVolume->value(), 10); // from the new channel's 0
        const int channel = f.ui->HScrollMIDIChannel->value();
        const int volume = f.ui->HScrollVolume->value();
        const int octave = f.ui->HScrollOctave->value();
        const int patch = f.ui->HScrollPatch->value();
        const int pan = f.ui->HScrollPan->value();

        TestServices second;
        second.sharedSettingsFolder = f.t.settingsDir.path();
        Services services = second.make();
        Program again(std::move(services));
        again.start();
        const Form1Layout& ui = again.window().ui();
        QCOMPARE(ui.HScrollMIDIChannel->value(), channel);
        QCOMPARE(ui.HScrollVolume->value(), volume);
        QCOMPARE(ui.HScrollOctave->value(), octave);
        QCOMPARE(ui.HScrollPatch->value(), patch);
        QCOMPARE(ui.HScrollPan->value(), pan);
        QVERIFY(second.reporter->reports.empty());
    }

    void aChangeDuringTheWaitAppliesToThatNote() {
        Fixture f(/*realClock=*/false);
        f.program->window().keyPressed(u'a');
        f.ui->HScrollOctave->setFocus();
        QTest::keyClick(f.ui->HScrollOctave, Qt::Key_Right); // octave 3 on channel 13
        f.ui->HScrollVolume->setFocus();
        QTest::keyClick(f.ui->HScrollVolume, Qt::Key_Home);
        f.t.manualClock->advance(0.5);
        f.program->pause().serviceDue();
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{message(0x9D, 36, 0)});
    }

    void aFailedSaveIsReportedAndTheHandlerGoesOn() {
        Fixture f;
        // A folder where the settings file should be: the write cannot land.
        QVERIFY(QDir(f.t.settingsDir.path()).mkpath(QStringLiteral("Kestrane.conf")));
        f.ui->HScrollPan->setFocus();
        QTest::keyClick(f.ui->HScrollPan, Qt::Key_Right);
        QCOMPARE(f.t.reporter->reports.size(), std::size_t{1});
        QCOMPARE(f.t.reporter->reports.front().location(),
                 QStringLiteral("in Clavitone2021/08/31.Form1.HScrollPan_Click at line 100"));
        QCOMPARE(f.ui->lblPan->text(), QStringLiteral("65"));
        QCOMPARE(f.t.midi->packedMessages(), std::vector<std::uint32_t>{message(0xBD, 10, 65)});
    }

    // The report is a modal box. The arrow held down under it, or a key held
    // through it, moves the bar once and gives one report, not one per repeat.
    void oneActionGivesOneReportUnderTheModalBox_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("arrow held down") << false;
        QTest::newRow("Right key held") << true;
    }
    void oneActionGivesOneReportUnderTheModalBox() {
        QFETCH(bool, byKey);
        Fixture f;
        QVERIFY(QDir(f.t.settingsDir.path()).mkpath(QStringLiteral("Kestrane.conf")));
        f.t.reporter->onReport = [] {
            QDialog box;
            box.setWindowModality(Qt::ApplicationModal);
            QTimer::singleShot(0, &box, &QDialog::accept);
            box.exec();
        };
        SettingBar* bar = f.ui->HScrollPan;
        const int start = bar->value();
        bar->setFocus();
        if (byKey) {
            QTest::keyPress(bar, Qt::Key_Right);
            for (int i = 0; i < 5; ++i) { // the system's repeats of the held key
                QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, QString(), true);
                QApplication::sendEvent(bar, &repeat);
            }
        } else {
            QTest::mousePress(bar, Qt::LeftButton, {},
                              partOf(bar, QStyle::SC_ScrollBarAddLine).center());
        }
        // Started after the press, so it ends after the arrow's first repeat
        // would have been due (half a second) and several after it.
        bool waited = false;
        QTimer::singleShot(1500, [&] { waited = true; });
        QTRY_VERIFY_WITH_TIMEOUT(waited, 30000);

        QCOMPARE(f.t.reporter->reports.size(), std::size_t{1});
        QCOMPARE(bar->value(), start + 1);
        // The next action is a new one.
        if (byKey)
            QTest::keyClick(bar, Qt::Key_Right);
        else
            clickPart(bar, QStyle::SC_ScrollBarAddLine);
        QCOMPARE(f.t.reporter->reports.size(), std::size_t{2});
        QCOMPARE(bar->value(), start + 2);
    }
};

QTEST_MAIN(SettingsPanelTest)
#include "test_settings_panel.moc"
