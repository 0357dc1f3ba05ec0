#include "app/CommandLine.h"

#include <QStringList>
#include <QTest>

#include <sstream>

Q_DECLARE_METATYPE(CommandLine::Action)

class TestCommandLine : public QObject {
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void answer_data();
    void answer();
    void help();
};

void TestCommandLine::read_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("argument"); // the one at fault, for a mistake
    QTest::addColumn<bool>("missingValue");

    using A = CommandLine::Action;
    const QString none;
    const auto list = [](std::initializer_list<const char*> words) {
        QStringList arguments;
        for (const char* word : words)
            arguments << QString::fromUtf8(word);
        return arguments;
    };

    QTest::newRow("plain start") << QStringList() << A::Start << none << false;
    QTest::newRow("help") << list({"--help"}) << A::Help << none << false;
    QTest::newRow("short help") << list({"-h"}) << A::Help << none << false;
    QTest::newRow("version") << list({"--version"}) << A::Version << none << false;
    QTest::newRow("unknown") << list({"--bogus"}) << A::Mistake << QStringLiteral("--bogus")
                             << false;
    QTest::newRow("unknown with one dash")
        << list({"-x"}) << A::Mistake << QStringLiteral("-x") << false;
    QTest::newRow("a word") << list({"song.mid"}) << A::Mistake << QStringLiteral("song.mid")
                            << false;
    QTest::newRow("a lone dash") << list({"-"}) << A::Mistake << QStringLiteral("-") << false;
    QTest::newRow("an empty argument") << list({""}) << A::Mistake << QString() << false;
    QTest::newRow("version alone is ours, not -version")
        << list({"-version"}) << A::Mistake << QStringLiteral("-version") << false;

    QTest::newRow("Qt's platform") << list({"-platform", "offscreen"}) << A::Start << none << false;
    QTest::newRow("Qt's platform, two dashes")
        << list({"--platform", "xcb"}) << A::Start << none << false;
    QTest::newRow("Qt's style") << list({"-style", "fusion"}) << A::Start << none << false;
    QTest::newRow("Qt's style after =") << list({"-style=fusion"}) << A::Start << none << false;
    QTest::newRow("Qt's display") << list({"-display", ":1"}) << A::Start << none << false;
    QTest::newRow("Qt's flag") << list({"-reverse"}) << A::Start << none << false;
    QTest::newRow("Qt's options together")
        << list({"-platform", "xcb", "-reverse", "-stylesheet=a.qss", "--title", "T"}) << A::Start
        << none << false;
    QTest::newRow("a value that looks like ours")
        << list({"-title", "--version"}) << A::Start << none << false;
    QTest::newRow("a value missing")
        << list({"-platform"}) << A::Mistake << QStringLiteral("-platform") << true;
    QTest::newRow("= where Qt takes none")
        << list({"-platform=xcb"}) << A::Mistake << QStringLiteral("-platform=xcb") << false;

    QTest::newRow("the first decides: help")
        << list({"--help", "--bogus"}) << A::Help << none << false;
    QTest::newRow("the first decides: mistake")
        << list({"--bogus", "--version"}) << A::Mistake << QStringLiteral("--bogus") << false;
    QTest::newRow("after Qt's options")
        << list({"-style", "fusion", "--version"}) << A::Version << none << false;
}

void TestCommandLine::read() {
    QFETCH(QStringList, arguments);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, argument);
    QFETCH(bool, missingValue);

    // As main() gets them: argv[0] is the program.
    std::vector<QByteArray> bytes{QByteArrayLiteral("clavitone")};
    for (const QString& word : arguments)
        bytes.push_back(word.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& word : bytes)
        argv.push_back(word.constData());
    argv.push_back(nullptr);

    const CommandLine line = readCommandLine(static_cast<int>(bytes.size()), argv.data());
    QCOMPARE(line.action, action);
    QCOMPARE(QString::fromStdString(line.argument), argument);
    QCOMPARE(line.missingValue, missingValue);
}

void TestCommandLine::answer_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("out");   // the first line of standard output, or empty
    QTest::addColumn<int>("outLines");  // how many lines
    QTest::addColumn<QString>("error"); // standard error, whole

    const QString none;
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                             << QStringLiteral("Clavitone 1.2.3") << 1 << none;
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                          << QStringLiteral("Usage: clavitone [--help | --version] [Qt options]")
                          << -1 << none;
    QTest::newRow("unknown option")
        << QStringList{QStringLiteral("--bogus")} << 2 << none << 0
        << QStringLiteral(
               "clavitone: unknown option '--bogus' (clavitone --help lists the options)\n");
    QTest::newRow("a word") << QStringList{QStringLiteral("x")} << 2 << none << 0
                            << QStringLiteral("clavitone: unexpected argument 'x' (clavitone "
                                              "--help lists the options)\n");
    QTest::newRow("a value missing")
        << QStringList{QStringLiteral("-style")} << 2 << none << 0
        << QStringLiteral(
               "clavitone: option '-style' needs a value (clavitone --help lists the options)\n");
}

void TestCommandLine::answer() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, out);
    QFETCH(int, outLines);
    QFETCH(QString, error);

    std::vector<std::string> words;
    for (const QString& word : arguments)
        words.push_back(word.toStdString());
    const std::vector<std::string_view> views(words.begin(), words.end());
    std::ostringstream outStream;
    std::ostringstream errorStream;
    QCOMPARE(answerCommandLine(readCommandLine(views), "1.2.3", outStream, errorStream), status);

    const QString printed = QString::fromStdString(outStream.str());
    QCOMPARE(printed.section(QLatin1Char('\n'), 0, 0), out);
    if (outLines >= 0)
        QCOMPARE(printed.count(QLatin1Char('\n')), outLines);
    QCOMPARE(QString::fromStdString(errorStream.str()), error);
}

void TestCommandLine::help() {
    std::ostringstream out;
    std::ostringstream error;
    QCOMPARE(answerCommandLine(readCommandLine({"--help"}), "1.2.3", out, error), 0);
    const QString printed = QString::fromStdString(out.str());
    // What the program does, its options and where its settings live.
    QVERIFY(printed.contains(QStringLiteral("letter keys")));
    QVERIFY(printed.contains(QStringLiteral("-h, --help")));
    QVERIFY(printed.contains(QStringLiteral("--version")));
    QVERIFY(printed.contains(QStringLiteral("-platform")));
#ifdef Q_OS_WIN
    QVERIFY(printed.contains(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings")));
#else
    QVERIFY(printed.contains(QStringLiteral("Kestrane.conf, section [Clavitone]")));
    QVERIFY(printed.contains(QStringLiteral("CLAVITONE_SOUND_DEBUG=1")));
#endif
    // Short: it fits a terminal.
    QVERIFY2(printed.count(QLatin1Char('\n')) <= 20, qPrintable(printed));
    for (const QString& text : printed.split(QLatin1Char('\n')))
        QVERIFY2(text.size() <= 80, qPrintable(text));
    QVERIFY(error.str().empty());
}

QTEST_APPLESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
