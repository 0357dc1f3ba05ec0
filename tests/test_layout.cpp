// The main window as it is created: every control where the layout puts it.

#include "keyboard/MainWindow.h"
#include "keyboard/SettingBar.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

class LayoutTest : public QObject {
    Q_OBJECT

    Form1* window = nullptr;

    QWidget* control(const QString& name) const {
        const Form1Layout& ui = window->ui();
        const std::pair<const char*, QWidget*> named[] = {
            {"Frame1", ui.Frame1},
            {"HScrollMIDIChannel", ui.HScrollMIDIChannel},
            {"HScrollVolume", ui.HScrollVolume},
            {"HScrollOctave", ui.HScrollOctave},
            {"HScrollPatch", ui.HScrollPatch},
            {"HScrollPan", ui.HScrollPan},
            {"Label1", ui.Label1},
            {"Label2", ui.Label2},
            {"Label3", ui.Label3},
            {"Label4", ui.Label4},
            {"Label7", ui.Label7},
            {"lblChannel", ui.lblChannel},
            {"lblVolume", ui.lblVolume},
            {"lblOctave", ui.lblOctave},
            {"lblPatch", ui.lblPatch},
            {"lblPan", ui.lblPan},
        };
        for (const auto& [controlName, widget] : named)
            if (name == QLatin1String(controlName))
                return widget;
        return nullptr;
    }

private slots:
    void init() { window = new Form1; }
    void cleanup() { delete window; }

    void windowIsFixedWhiteAndMinimisable() {
        QCOMPARE(window->size(), QSize(304, 436));
        QCOMPARE(window->minimumSize(), QSize(304, 436));
        QCOMPARE(window->maximumSize(), QSize(304, 436));
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
        QCOMPARE(window->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(window->ui().Frame1->palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(window->ui().Frame1->title(), QStringLiteral("MIDI Settings"));
    }

    // Figures in pixels at 96 dots per inch (15 twips to the pixel).
    void scrollBarsAndFrame_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("pageStep");
        QTest::newRow("Frame1") << "Frame1" << QRect(8, 8, 288, 175) << 0 << 0 << 0 << 0;
        QTest::newRow("channel") << "HScrollMIDIChannel" << QRect(93, 18, 157, 19) << 0 << 15 << 13
                                 << 1;
        QTest::newRow("volume") << "HScrollVolume" << QRect(93, 45, 157, 19) << 0 << 100 << 100
                                << 10;
        QTest::newRow("octave") << "HScrollOctave" << QRect(93, 72, 157, 19) << 0 << 4 << 2 << 1;
        QTest::newRow("instrument")
            << "HScrollPatch" << QRect(93, 99, 157, 19) << 0 << 127 << 0 << 10;
        QTest::newRow("pan") << "HScrollPan" << QRect(93, 144, 157, 19) << 0 << 127 << 0 << 10;
    }
    void scrollBarsAndFrame() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QWidget* widget = control(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(), geometry);
        if (auto* bar = qobject_cast<SettingBar*>(widget)) {
            QFETCH(int, minimum);
            QFETCH(int, maximum);
            QFETCH(int, value);
            QFETCH(int, pageStep);
            QCOMPARE(bar->orientation(), Qt::Horizontal);
            QCOMPARE(bar->minimum(), minimum);
            QCOMPARE(bar->maximum(), maximum);
            QCOMPARE(bar->value(), value);
            QCOMPARE(bar->singleStep(), 1);
            QCOMPARE(bar->pageStep(), pageStep);
            QCOMPARE(bar->parentWidget(), window->ui().Frame1);
        }
    }

    void labels_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("position");
        QTest::addColumn<int>("designWidth");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Label1") << "Label1" << QPoint(12, 20) << 49 << "Channel:";
        QTest::newRow("Label2") << "Label2" << QPoint(12, 47) << 46 << "Volume:";
        QTest::newRow("Label3") << "Label3" << QPoint(12, 74) << 43 << "Octave:";
        QTest::newRow("Label4") << "Label4" << QPoint(12, 101) << 65 << "Instrument:";
        QTest::newRow("Label7") << "Label7" << QPoint(12, 146) << 25 << "Pan:";
        QTest::newRow("lblChannel") << "lblChannel" << QPoint(252, 20) << 14 << "13";
        QTest::newRow("lblVolume") << "lblVolume" << QPoint(252, 47) << 21 << "100";
        QTest::newRow("lblOctave") << "lblOctave" << QPoint(252, 74) << 7 << "2";
        QTest::newRow("lblPatch") << "lblPatch" << QPoint(93, 123) << 24 << "MIDI";
        QTest::newRow("lblPan") << "lblPan" << QPoint(252, 146) << 7 << "0";
    }
    void labels() {
        QFETCH(QString, name);
        QFETCH(QPoint, position);
        QFETCH(int, designWidth);
        QFETCH(QString, caption);
        auto* label = qobject_cast<QLabel*>(control(name));
        QVERIFY(label);
        QCOMPARE(label->parentWidget(), window->ui().Frame1);
        QCOMPARE(label->pos(), position);
        QCOMPARE(label->text(), caption);
        QCOMPARE(label->textFormat(), Qt::PlainText);
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
        // Auto-sized to the caption in an Arial-metric font: close to the design size.
        QVERIFY2(qAbs(label->width() - designWidth) <= 4,
                 qPrintable(QStringLiteral("width %1").arg(label->width())));
        QCOMPARE(label->font().family(), QStringLiteral("Arial"));
        QCOMPARE(label->font().pointSizeF(), 9.0);
        QCOMPARE(label->font().weight(), QFont::Bold);
    }

    // The order a screen reader walks the frame in.
    void frameChildrenComeInCreationOrder() {
        const Form1Layout& ui = window->ui();
        const QObjectList expected{ui.HScrollPan,
                                   ui.HScrollPatch,
                                   ui.HScrollOctave,
                                   ui.HScrollVolume,
                                   ui.HScrollMIDIChannel,
                                   ui.lblPan,
                                   ui.lblPatch,
                                   ui.lblOctave,
                                   ui.lblVolume,
                                   ui.Label7,
                                   ui.lblChannel,
                                   ui.Label4,
                                   ui.Label3,
                                   ui.Label2,
                                   ui.Label1};
        QObjectList children;
        for (QObject* child : ui.Frame1->children())
            if (child->isWidgetType())
                children << child;
        QCOMPARE(children, expected);
        const auto labels = ui.labels();
        QCOMPARE(QObjectList(labels.begin(), labels.end()), expected.mid(5));
    }

    void labelsGrowToTheRightAndAreClippedByTheFrame() {
        QLabel* label = window->ui().lblPatch;
        setCaption(label, QStringLiteral("An instrument name far too long for the frame"));
        QCOMPARE(label->pos(), QPoint(93, 123));
        QVERIFY(label->geometry().right() > window->ui().Frame1->width());
        // Children are clipped by their container: the visible part ends at the frame's edge.
        QVERIFY(label->visibleRegion().boundingRect().right() <=
                window->ui().Frame1->width() - label->x());
        setCaption(label, QStringLiteral("<b>bold</b>"));
        QCOMPARE(label->text(), QStringLiteral("<b>bold</b>"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }

    void noteButtons_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("0") << 0 << QRect(8, 192, 43, 43);
        QTest::newRow("1") << 1 << QRect(57, 192, 43, 43);
        QTest::newRow("5") << 5 << QRect(253, 192, 43, 43);
        QTest::newRow("6") << 6 << QRect(8, 240, 43, 43);
        QTest::newRow("11") << 11 << QRect(253, 240, 43, 43);
        QTest::newRow("12") << 12 << QRect(8, 288, 43, 43);
        QTest::newRow("17") << 17 << QRect(253, 288, 43, 43);
        QTest::newRow("18") << 18 << QRect(8, 336, 43, 43);
        QTest::newRow("23") << 23 << QRect(253, 336, 43, 43);
        QTest::newRow("24") << 24 << QRect(8, 384, 43, 43);
        QTest::newRow("25") << 25 << QRect(57, 384, 43, 43);
        QTest::newRow("26") << 26 << QRect(106, 384, 190, 43);
    }
    void noteButtons() {
        QFETCH(int, index);
        QFETCH(QRect, geometry);
        QPushButton* button = window->ui().PushButton1.at(static_cast<std::size_t>(index));
        QCOMPARE(button->geometry(), geometry);
        QCOMPARE(button->parentWidget(), window);
        QCOMPARE(button->text(), index == 26 ? QStringLiteral("?") : QStringLiteral("A"));
        QCOMPARE(button->font().pointSizeF(), 11.25);
        QCOMPARE(button->font().weight(), QFont::Bold);
        QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::white));
        QVERIFY(button->isEnabled());
    }

    void tabOrderRunsThroughBarsThenButtons() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        const Form1Layout& ui = window->ui();
        QList<QWidget*> expected{ui.HScrollMIDIChannel, ui.HScrollVolume, ui.HScrollOctave,
                                 ui.HScrollPatch, ui.HScrollPan};
        for (QPushButton* button : ui.PushButton1)
            expected << button;
        QWidget* current = ui.HScrollMIDIChannel;
        for (qsizetype i = 1; i < expected.size(); ++i) {
            current = current->nextInFocusChain();
            while (current->focusPolicy() == Qt::NoFocus)
                current = current->nextInFocusChain();
            QCOMPARE(current, expected[i]);
        }
    }

    void fontIsAnArialMetricFace() {
        // Liberation Sans stands in for Arial where Arial is not installed.
        const QFontInfo info(window->font());
        QVERIFY2(info.family().contains(QStringLiteral("Arial")) ||
                     info.family().contains(QStringLiteral("Liberation Sans")),
                 qPrintable(info.family()));
    }
};

QTEST_MAIN(LayoutTest)
#include "test_layout.moc"
