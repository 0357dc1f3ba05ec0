#include "app/Program.h"
#include "keyboard/MainWindow.h"
#include "keyboard/SettingBar.h"
#include "support/CursorBytes.h"
#include "support/TestServices.h"

#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace {

const QString FormLoadTag = QStringLiteral("in Clavitone2021/08/31.Form1.Form_Load ");

// Moves the mouse over `widget` at `at`, in its own coordinates, as the window
// system does: the event goes to that widget and on to its parents while they
// leave it unhandled.
void moveOver(QWidget* widget, QPoint at = QPoint(2, 2)) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

// The default pointer is the platform's arrow; the custom one never is.
bool showsCustomPointer(const Form1& window) {
    return window.cursor().shape() != Qt::ArrowCursor;
}

} // namespace

class TestPointer : public QObject {
    Q_OBJECT

private slots:
    void handCursorAtStartUp_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QStringList>("reports");
        QTest::newRow("present") << cursorFileBytes(CursorSpec{1, 32, QPoint(9, 3)}) << true << true
                                 << QStringList();
        QTest::newRow("absent") << QByteArray() << false << false << QStringList();
        QTest::newRow("not a cursor")
            << QByteArray("GIF89a and then nothing") << true << false
            << QStringList{QStringLiteral("Invalid picture|") + FormLoadTag + "at line 108"};
        QTest::newRow("empty file")
            << QByteArray() << true << false
            << QStringList{QStringLiteral("Invalid picture|") + FormLoadTag + "at line 108"};
    }
    void handCursorAtStartUp() {
        QFETCH(QByteArray, file);
        QFETCH(bool, present);
        QFETCH(bool, loaded);
        QFETCH(QStringList, reports);
        TestServices test;
        if (present)
            test.writeProgramFile(QStringLiteral("HAND-M.CUR"), file);
        Program program(test.make());
        program.start();

        QStringList seen;
        for (const RecordedReport& report : test.reporter->reports)
            seen << report.description + QLatin1Char('|') + report.location();
        QCOMPARE(seen, reports);
        QCOMPARE(program.customPointer().has_value(), loaded);
        if (loaded)
            QCOMPARE(program.customPointer()->hotSpot(), QPoint(9, 3));
        // The start-up went on after step 108.
        QCOMPARE(program.window().ui().PushButton1[25]->text(), QStringLiteral("Z"));
        QVERIFY(!showsCustomPointer(program.window()));
    }

    void pointerFollowsTheMouse_data() {
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<bool>("custom");
        QTest::newRow("onto a note button") << QStringList{"button 0"} << true;
        QTest::newRow("onto the wide button") << QStringList{"button 26"} << true;
        QTest::newRow("button, then the window") << QStringList{"button 3", "window"} << false;
        QTest::newRow("button, then the frame") << QStringList{"button 12", "frame"} << false;
        QTest::newRow("frame, then a button") << QStringList{"frame", "button 25"} << true;
        // Scroll bars and labels have no pointer handling of their own.
        QTest::newRow("button, then a scroll bar") << QStringList{"button 7", "bar"} << true;
        QTest::newRow("button, then a label") << QStringList{"button 7", "label"} << true;
        QTest::newRow("only a scroll bar") << QStringList{"bar"} << false;
        QTest::newRow("back and forth")
            << QStringList{"button 1", "window", "button 2", "frame", "button 26"} << true;
    }
    void pointerFollowsTheMouse() {
        QFETCH(QStringList, path);
        QFETCH(bool, custom);
        TestServices test;
        test.writeProgramFile(QStringLiteral("HAND-M.CUR"),
                              cursorFileBytes(CursorSpec{1, 32, QPoint(6, 1)}));
        Program program(test.make());
        program.start();
        Form1& window = program.window();
        Form1Layout& ui = window.ui();

        for (const QString& step : path) {
            if (step.startsWith(QLatin1String("button ")))
                moveOver(ui.PushButton1.at(step.mid(7).toUInt()), QPoint(10, 10));
            else if (step == QLatin1String("window"))
                moveOver(&window, QPoint(3, 300)); // left of the button grid
            else if (step == QLatin1String("frame"))
                moveOver(ui.Frame1, QPoint(ui.Frame1->width() - 4, ui.Frame1->height() - 4));
            else if (step == QLatin1String("bar"))
                moveOver(ui.HScrollVolume, QPoint(30, 5));
            else if (step == QLatin1String("label"))
                moveOver(ui.Label2, QPoint(3, 3));
        }

        QCOMPARE(showsCustomPointer(window), custom);
        if (custom) {
            QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(window.cursor().hotSpot(), QPoint(6, 1));
        } else {
            QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        }
        QVERIFY(test.reporter->reports.empty());
    }

    void withoutACursorFileTheCustomPointerIsAPointingHand() {
        TestServices test;
        Program program(test.make());
        program.start();
        moveOver(program.window().ui().PushButton1[0], QPoint(5, 5));
        QVERIFY(showsCustomPointer(program.window()));
        QCOMPARE(program.window().cursor().shape(), Qt::PointingHandCursor);
        moveOver(&program.window(), QPoint(3, 300));
        QCOMPARE(program.window().cursor().shape(), Qt::ArrowCursor);
    }
};

QTEST_MAIN(TestPointer)
#include "test_pointer.moc"
