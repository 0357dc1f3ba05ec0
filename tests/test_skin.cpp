#include "app/Program.h"
#include "app/Skin.h"
#include "appearance/SkinEngine.h"
#include "appearance/SkinSheet.h"
#include "keyboard/MainWindow.h"
#include "shell/Failure.h"
#include "support/FailureOf.h"
#include "support/HostileFiles.h"
#include "support/TestServices.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

const QColor White(255, 255, 255);
const QString SkinPath = QStringLiteral("x/o.cjs");
const QByteArray BlueSkin = "Form1 { background-color: #123456; }\n"
                            "QPushButton { background-color: #00ff00; border: none; }\n";

QColor background(const QWidget* widget) {
    return widget->palette().color(QPalette::Window);
}

// The colour the window shows at a point of its own surface, left of the note
// buttons; x 0 and 1 are under a 2-pixel border when the skin draws one.
QColor windowPixel(QWidget& window, int x = 5) {
    return QColor(window.grab().toImage().pixel(x, 300));
}

// Loads `content` as a skin file; answers the failure's description, or ""
// when the engine took it.
QString loadFailure(const QByteArray& content, const QString& section = QString()) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("o.cjs"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("test could not write the skin");
    file.write(content);
    file.close();
    return failureOf([&] {
        SkinEngine engine;
        engine.loadSkin(path, section);
    });
}

} // namespace

class TestSkin : public QObject {
    Q_OBJECT

private slots:
    void readsStyleSheetRules_data() {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QStringList>("rules"); // "selectors|property=value|..."
        QTest::newRow("empty") << "" << QStringList();
        QTest::newRow("blanks and comments") << " /* nothing */ \n\t" << QStringList();
        QTest::newRow("one rule") << "QLabel { color: red }" << QStringList{"QLabel|color=red"};
        QTest::newRow("selector list, trailing semicolons")
            << "QLabel, QGroupBox::title{color:red;;background:#fff;}"
            << QStringList{"QLabel, QGroupBox::title|color=red|background=#fff"};
        QTest::newRow("comments anywhere")
            << "/* a */ QLabel /* b */ { /* c */ color: /* d */ red; }"
            << QStringList{"QLabel|color=red"};
        QTest::newRow("braces and comment marks inside strings")
            << "QLabel[text=\"{;}\"] { font-family: 'Arial /* not a comment */'; }"
            << QStringList{"QLabel[text=\"{;}\"]|font-family='Arial /* not a comment */'"};
        QTest::newRow("functions with commas and colons")
            << "QPushButton { background: qlineargradient(x1: 0, y1: 0, stop: 0 red, stop: 1 "
               "blue); }"
            << QStringList{"QPushButton|background=qlineargradient(x1: 0, y1: 0, stop: 0 red, "
                           "stop: 1 blue)"};
        QTest::newRow("two rules, empty block") << "A {}\nB { x: 1 }" << QStringList{"A", "B|x=1"};
    }
    void readsStyleSheetRules() {
        QFETCH(QString, sheet);
        QFETCH(QStringList, rules);
        const auto parsed = parseSkinSheet(sheet);
        QVERIFY(parsed.has_value());
        QStringList seen;
        for (const SkinRule& rule : *parsed) {
            QString text = rule.selectors;
            for (const SkinDeclaration& declaration : rule.declarations)
                text +=
                    QLatin1Char('|') + declaration.property + QLatin1Char('=') + declaration.value;
            seen << text;
        }
        QCOMPARE(seen, rules);
        // What is written back reads the same again.
        const auto again = parseSkinSheet(skinSheetText(*parsed));
        QVERIFY(again.has_value());
        QCOMPARE(again->size(), parsed->size());
    }

    void rejectsWhatIsNoStyleSheet_data() {
        QTest::addColumn<QString>("sheet");
        QTest::newRow("unterminated comment") << "QLabel { color: red } /* open";
        QTest::newRow("unterminated string") << "QLabel { font-family: \"Arial; }";
        QTest::newRow("string over a line end") << "QLabel { font-family: \"Ar\nial\"; }";
        QTest::newRow("missing closing brace") << "QLabel { color: red";
        QTest::newRow("stray closing brace") << "QLabel { color: red } }";
        QTest::newRow("nested block") << "QLabel { QWidget { color: red } }";
        QTest::newRow("no selector") << "{ color: red }";
        QTest::newRow("empty selector in a list") << "QLabel, { color: red }";
        QTest::newRow("declaration without colon") << "QLabel { color red }";
        QTest::newRow("declaration without value") << "QLabel { color: ; }";
        QTest::newRow("declaration without property") << "QLabel { : red }";
        QTest::newRow("bad property name") << "QLabel { col$or: red }";
        QTest::newRow("unbalanced parenthesis") << "QLabel { background: rgb(1, 2, 3; }";
        QTest::newRow("unbalanced bracket") << "QLabel[text=\"a\" { color: red }";
        QTest::newRow("text after the last rule") << "QLabel { color: red } QWidget";
        QTest::newRow("bare declarations") << "color: red; background: blue;";
        QTest::newRow("plain prose") << "This is a letter, not a skin.";
    }
    void rejectsWhatIsNoStyleSheet() {
        QFETCH(QString, sheet);
        QVERIFY(!parseSkinSheet(sheet).has_value());
    }

    void loadingChecksTheFile_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("failure");
        QTest::newRow("a good skin") << BlueSkin << QString() << QString();
        QTest::newRow("UTF-8 text with a byte order mark")
            << QByteArray("\xEF\xBB\xBFQLabel { font-family: \"Sch\xC3\xB6n\"; }") << QString()
            << QString();
        QTest::newRow("NUL byte") << QByteArray("QLabel { color: red; }\0", 23) << QString()
                                  << "Invalid file format";
        QTest::newRow("Latin-1, not UTF-8") << QByteArray("QLabel { font-family: \"Sch\xF6n\"; }")
                                            << QString() << "Invalid file format";
        QTest::newRow("truncated UTF-8 sequence")
            << QByteArray("QLabel { color: red; } /* \xC3") << QString() << "Invalid file format";
        QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << QString()
                                   << "Invalid file format";
        QTest::newRow("broken rules")
            << QByteArray("QLabel { color: red") << QString() << "Invalid file format";
        QTest::newRow("larger than a skin may be")
            << "/*" + QByteArray(SkinEngine::MaxFileSize, ' ') + "*/" << QString()
            << "Invalid file format";
        QTest::newRow("a section name") << BlueSkin << "Normal"
                                        << "Invalid procedure call or argument";
    }
    void loadingChecksTheFile() {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, failure);
        QCOMPARE(loadFailure(content, section), failure);
    }

    // A picture the skin names is looked at before the skin is taken: what
    // would make drawing wait or read without end fails the load at once.
    void loadingChecksThePicturesItNames_data() {
        QTest::addColumn<int>("hostile"); // -1: an ordinary picture; -2: none there
        QTest::addColumn<QString>("failure");
        QTest::newRow("an ordinary file") << -1 << QString();
        QTest::newRow("nothing there: drawn as nothing") << -2 << QString();
        QTest::newRow("a folder") << int(Hostile::Folder) << "Path/File access error";
#ifndef Q_OS_WIN // pipes and devices in the file system
        QTest::newRow("a pipe") << int(Hostile::Pipe) << "Path/File access error";
        QTest::newRow("a device") << int(Hostile::EndlessDevice) << "Path/File access error";
#endif
    }
    void loadingChecksThePicturesItNames() {
        QFETCH(int, hostile);
        QFETCH(QString, failure);
        QTemporaryDir folder;
        const QString picture = folder.filePath(QStringLiteral("face.png"));
        if (hostile >= 0)
            QVERIFY(makeHostile(picture, static_cast<Hostile>(hostile)));
        else if (hostile == -1)
            QVERIFY(QFile(picture).open(QIODevice::WriteOnly));
        // Named in the second url of a rule, quoted, among other values.
        const QByteArray sheet = "QLabel { color: red; }\nQWidget#Form1 { border-image: "
                                 "url(:/icons/none.png) 0; background: url(\"" +
                                 picture.toUtf8() + "\") no-repeat; }";
        QCOMPARE(loadFailure(sheet), failure);
    }

    void loadingAFolderFails() {
        QTemporaryDir folder;
        SkinEngine engine;
        QVERIFY_THROWS_EXCEPTION(Failure, engine.loadSkin(folder.path(), QString()));
        QVERIFY(!engine.hasSkin());
    }

    void shippedSkinsLoad_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("slate") << "slate.cjs";
        QTest::newRow("sunrise") << "sunrise.cjs";
        QTest::newRow("classic grey") << "classic-grey.cjs";
    }
    void shippedSkinsLoad() {
        QFETCH(QString, name);
        const QString path = QFINDTESTDATA(QStringLiteral("../skins/") + name);
        QVERIFY2(!path.isEmpty(), qPrintable(name));
        SkinEngine engine;
        engine.loadSkin(path, QString());
        QVERIFY(engine.hasSkin());
        QVERIFY(!engine.styleSheet().isEmpty());
    }

    void switchesDecideWhatTheSkinReaches_data() {
        QTest::addColumn<qint32>("options");
        QTest::addColumn<bool>("fonts");
        QTest::addColumn<bool>("windowBackground");
        QTest::newRow("everything") << qint32(SkinEnabled) << true << true;
        QTest::newRow("skinning off") << qint32(0) << true << true;
        QTest::newRow("design fonts") << qint32(SkinEnabled) << false << true;
        QTest::newRow("window background left alone") << qint32(SkinEnabled) << true << false;
    }
    void switchesDecideWhatTheSkinReaches() {
        QFETCH(qint32, options);
        QFETCH(bool, fonts);
        QFETCH(bool, windowBackground);
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("o.cjs"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Form1 { background-color: #123456; border: 2px solid #ff0000; }\n"
                   "QLabel { font-size: 30pt; font-family: Courier; color: #0000ff; }\n");
        file.close();

        Form1 window;
        const int designHeight = window.ui().Label1->sizeHint().height();
        SkinEngine engine;
        engine.loadSkin(path, QString());
        engine.setOptions(options);
        engine.setSkinFonts(fonts);
        engine.setSkinWindowBackground(windowBackground);
        engine.applyTo(window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        const bool on = options & SkinEnabled;
        QCOMPARE(window.styleSheet().contains(QLatin1String("#123456")), on);
        QCOMPARE(windowPixel(window) == QColor(0x12, 0x34, 0x56), on);
        // Only a window whose background the skin draws shows the border.
        QCOMPARE(windowPixel(window, 0) == QColor(255, 0, 0), on && windowBackground);
        QCOMPARE(window.ui().Label1->palette().color(QPalette::WindowText) == QColor(0, 0, 255),
                 on);
        QCOMPARE(window.ui().Label1->sizeHint().height() > designHeight, on && fonts);
    }

    void withoutASkinFileTheWindowStaysWhite_data() {
        QTest::addColumn<QString>("make"); // what stands where the skin would be
        QTest::newRow("no x folder") << "";
        QTest::newRow("empty x folder") << "x/";
        QTest::newRow("a folder named o.cjs") << "x/o.cjs/";
        QTest::newRow("the skin one level too high") << "o.cjs";
    }
    void withoutASkinFileTheWindowStaysWhite() {
        QFETCH(QString, make);
        TestServices test;
        if (make.endsWith(QLatin1Char('/')))
            QVERIFY(QDir(test.programDir.path()).mkpath(make));
        else if (!make.isEmpty())
            test.writeProgramFile(make, BlueSkin);
        Program program(test.make());
        program.start();
        Form1& window = program.window();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QVERIFY(test.reporter->reports.empty());
        QVERIFY(window.styleSheet().isEmpty());
        QCOMPARE(background(&window), White);
        QCOMPARE(background(window.ui().Frame1), White);
        for (const QLabel* label : window.ui().labels())
            QCOMPARE(background(label), White);
        QCOMPARE(windowPixel(window), White);
    }

    void aSkinFileDrawsTheWindowInItsSkin() {
        TestServices test;
        test.writeProgramFile(SkinPath, BlueSkin);
        Program program(test.make());
        program.start();
        Form1& window = program.window();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QVERIFY(test.reporter->reports.empty());
        const QColor face = buttonFaceColour();
        QCOMPARE(background(window.ui().Frame1), face);
        for (const QLabel* label : window.ui().labels())
            QCOMPARE(background(label), face);
        QVERIFY(window.styleSheet().contains(QLatin1String("#123456")));
        QCOMPARE(windowPixel(window), QColor(0x12, 0x34, 0x56));
        const QImage button = window.ui().PushButton1[0]->grab().toImage();
        QCOMPARE(QColor(button.pixel(button.width() / 4, button.height() / 4)), QColor(0, 255, 0));
        QCOMPARE(window.windowTitle(), QStringLiteral("Clavitone"));
    }

    void aRejectedSkinIsReportedAndStartUpGoesOn() {
        TestServices test;
        test.writeProgramFile(SkinPath, "Form1 { background-color: #123456;\n");
        Program program(test.make());
        program.start();
        Form1& window = program.window();

        QCOMPARE(test.reporter->reports.size(), std::size_t(1));
        const RecordedReport& report = test.reporter->reports.front();
        QCOMPARE(report.description, QStringLiteral("Invalid file format"));
        QCOMPARE(report.location(),
                 QStringLiteral("in Clavitone2021/08/31.Form1.Form_Load at line 102"));
        // The colours set before the skin stay; no skin is drawn.
        const QColor face = buttonFaceColour();
        QCOMPARE(background(&window), face);
        QCOMPARE(background(window.ui().Frame1), face);
        for (const QLabel* label : window.ui().labels())
            QCOMPARE(background(label), face);
        QVERIFY(window.styleSheet().isEmpty());
        // The start-up went on with the caption and on to the MIDI start state.
        QCOMPARE(window.windowTitle(), QStringLiteral("Clavitone"));
        QCOMPARE(test.midi->messages().size(), std::size_t(2));
    }
};

QTEST_MAIN(TestSkin)
#include "test_skin.moc"
