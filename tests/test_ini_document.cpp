#include "shell/Failure.h"
#include "shell/IniDocument.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using MaybeText = std::optional<QString>;
Q_DECLARE_METATYPE(MaybeText)

class TestIniDocument : public QObject {
    Q_OBJECT

private slots:
    void readsHandWrittenValues_data();
    void readsHandWrittenValues();
    void writtenTextReadsBackUnchanged_data();
    void writtenTextReadsBackUnchanged();
    void editKeepsEveryOtherByte_data();
    void editKeepsEveryOtherByte();
    void whatIsNoTextFails();
    void qsettingsReadsWhatWeWrite_data();
    void qsettingsReadsWhatWeWrite();
    void readsWhatQSettingsWrote();
};

void TestIniDocument::readsHandWrittenValues_data() {
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<MaybeText>("channel");

    QTest::newRow("plain") << QByteArray("[Clavitone]\nChannel=7\n") << MaybeText("7");
    QTest::newRow("blanks around key and value")
        << QByteArray("[Clavitone]\n  Channel =  7 \t\n") << MaybeText("7");
    QTest::newRow("quoted blanks kept")
        << QByteArray("[Clavitone]\nChannel=\" 7 \"\n") << MaybeText(" 7 ");
    QTest::newRow("empty text") << QByteArray("[Clavitone]\nChannel=\n") << MaybeText("");
    QTest::newRow("comma is text, not a list")
        << QByteArray("[Clavitone]\nChannel=7,5\n") << MaybeText("7,5");
    // Only the escapes are undone: the text is not turned into a number.
    const QChar nul(0);
    QTest::newRow("variant stays text")
        << QByteArray("[Clavitone]\nChannel=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\a)\n")
        << MaybeText(QStringLiteral("@Variant(") + nul + nul + nul + QChar(2) + nul + nul + nul +
                     QChar(7) + QLatin1Char(')'));
    QTest::newRow("bytearray stays text")
        << QByteArray("[Clavitone]\nChannel=@ByteArray(7)\n") << MaybeText("@ByteArray(7)");
    QTest::newRow("doubled at sign") << QByteArray("[Clavitone]\nChannel=@@7\n") << MaybeText("@7");
    QTest::newRow("comment after value")
        << QByteArray("[Clavitone]\nChannel=7 ; seven\n") << MaybeText("7");
    QTest::newRow("windows line ends")
        << QByteArray("[Clavitone]\r\nChannel=7\r\n") << MaybeText("7");
    QTest::newRow("later line wins")
        << QByteArray("[Clavitone]\nChannel=1\nChannel=2\n") << MaybeText("2");
    QTest::newRow("section given twice")
        << QByteArray("[Clavitone]\nChannel=1\n[Other]\nChannel=9\n[Clavitone]\nPan=3\n")
        << MaybeText("1");
    QTest::newRow("garbage around") << QByteArray("\x01\xff junk\n[Clavitone]\nnot an entry\n"
                                                  "[broken\nChannel=4\n")
                                    << MaybeText("4");
    QTest::newRow("key names are case sensitive")
        << QByteArray("[Clavitone]\nchannel=7\n") << MaybeText();
    QTest::newRow("other section only") << QByteArray("[Clavitone2]\nChannel=7\n") << MaybeText();
    QTest::newRow("before any section") << QByteArray("Channel=7\n[Clavitone]\n") << MaybeText();
    QTest::newRow("commented out")
        << QByteArray("[Clavitone]\n;Channel=7\n#Channel=8\n") << MaybeText();
    QTest::newRow("no final line end") << QByteArray("[Clavitone]\nChannel=7") << MaybeText("7");
    QTest::newRow("empty document") << QByteArray() << MaybeText();
    QTest::newRow("UTF-8 byte order mark")
        << QByteArray("\xEF\xBB\xBF[Clavitone]\nChannel=7\n") << MaybeText("7");
    QTest::newRow("UTF-16, little-endian, with mark")
        << QByteArray("\xFF\xFE[\0C\0l\0a\0v\0i\0t\0o\0n\0e\0]\0\n\0C\0h\0a\0n\0n\0e\0l\0=\0"
                      "7\0\n\0",
                      46)
        << MaybeText("7");
    QTest::newRow("UTF-16, big-endian, without mark")
        << QByteArray("\0[\0C\0l\0a\0v\0i\0t\0o\0n\0e\0]\0\n\0C\0h\0a\0n\0n\0e\0l\0=\0"
                      "7\0\n",
                      44)
        << MaybeText("7");
}

void TestIniDocument::readsHandWrittenValues() {
    QFETCH(QByteArray, document);
    QFETCH(MaybeText, channel);
    QCOMPARE(iniValue(document, QStringLiteral("Clavitone"), QStringLiteral("Channel")), channel);
}

// Texts and names that need quoting or escaping come back as they went in.
void TestIniDocument::writtenTextReadsBackUnchanged_data() {
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");

    const QString s = QStringLiteral("Clavitone");
    QTest::newRow("digits") << s << QStringLiteral("Channel") << QStringLiteral("13");
    QTest::newRow("empty") << s << QStringLiteral("Channel") << QString();
    QTest::newRow("blanks around") << s << QStringLiteral("Channel") << QStringLiteral(" 7 ");
    QTest::newRow("comma") << s << QStringLiteral("Channel") << QStringLiteral("7,5");
    QTest::newRow("semicolon and equals") << s << QStringLiteral("K") << QStringLiteral("a;b=c");
    QTest::newRow("quotes and backslashes")
        << s << QStringLiteral("K") << QStringLiteral("say \"hi\" \\ there");
    QTest::newRow("line breaks and tabs")
        << s << QStringLiteral("K") << QStringLiteral("one\ntwo\r\tthree");
    QTest::newRow("control then hex digit")
        << s << QStringLiteral("K") << QString(QChar(1)) + QStringLiteral("ABC");
    QTest::newRow("leading at") << s << QStringLiteral("K") << QStringLiteral("@Variant(7)");
    QTest::newRow("non-latin") << s << QStringLiteral("K")
                               << QStringLiteral("Flügel \u266B \U0001F3B9");
    QTest::newRow("key with blanks and symbols")
        << s << QStringLiteral("my key=[x];%") << QStringLiteral("1");
    QTest::newRow("key with slash") << s << QStringLiteral("a/b") << QStringLiteral("2");
    QTest::newRow("non-latin key")
        << s << QStringLiteral("Kanal\u00e4\u266B") << QStringLiteral("3");
    QTest::newRow("section with symbols")
        << QStringLiteral("My [Section]") << QStringLiteral("K") << QStringLiteral("4");
}

void TestIniDocument::writtenTextReadsBackUnchanged() {
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, text);
    const QByteArray start("[Clavitone]\nOther=1\n");
    const QByteArray added = withIniValue(start, section, key, text);
    QCOMPARE(iniValue(added, section, key), MaybeText(text));
    // Replacing it again leaves one entry with the new text.
    const QByteArray replaced = withIniValue(added, section, key, QStringLiteral("x"));
    QCOMPARE(iniValue(replaced, section, key), MaybeText(QStringLiteral("x")));
    QCOMPARE(replaced.count('\n'), added.count('\n'));
    QCOMPARE(iniValue(replaced, QStringLiteral("Clavitone"), QStringLiteral("Other")),
             MaybeText(QStringLiteral("1")));
}

void TestIniDocument::editKeepsEveryOtherByte_data() {
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("empty file") << QByteArray() << QByteArray("[Clavitone]\nChannel=5\n");
    QTest::newRow("replace keeps comments and garbage")
        << QByteArray("; mine\n[Clavitone]\n# note\nChannel = 7,5 ; old\njunk line\nPan=1\n")
        << QByteArray("; mine\n[Clavitone]\n# note\nChannel=5\njunk line\nPan=1\n");
    QTest::newRow("add to section after its last entry")
        << QByteArray("[Clavitone]\nPan=1\n\n; next\n[Other]\nChannel=9\n")
        << QByteArray("[Clavitone]\nPan=1\nChannel=5\n\n; next\n[Other]\nChannel=9\n");
    QTest::newRow("add section at end, blank line between")
        << QByteArray("[Other]\nx=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\a)\n[broken\n\xff\xfe")
        << QByteArray("[Other]\nx=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\a)\n[broken\n\xff\xfe\n\n"
                      "[Clavitone]\nChannel=5\n");
    QTest::newRow("windows line ends kept") << QByteArray("[Clavitone]\r\nPan=1\r\nChannel=2\r\n")
                                            << QByteArray("[Clavitone]\r\nPan=1\r\nChannel=5\r\n");
    QTest::newRow("windows line ends for new lines")
        << QByteArray("[Clavitone]\r\nPan=1\r\n")
        << QByteArray("[Clavitone]\r\nPan=1\r\nChannel=5\r\n");
    QTest::newRow("later of two lines replaced")
        << QByteArray("[Clavitone]\nChannel=1\nChannel=2\n")
        << QByteArray("[Clavitone]\nChannel=1\nChannel=5\n");
    QTest::newRow("header without entries")
        << QByteArray("[Clavitone]\n") << QByteArray("[Clavitone]\nChannel=5\n");
    QTest::newRow("UTF-8 byte order mark kept, section found")
        << QByteArray("\xEF\xBB\xBF[Clavitone]\r\nChannel=7\r\n")
        << QByteArray("\xEF\xBB\xBF[Clavitone]\r\nChannel=5\r\n");
    QTest::newRow("UTF-16 stays UTF-16")
        << QByteArray("\xFF\xFE[\0C\0l\0a\0v\0i\0t\0o\0n\0e\0]\0\n\0", 26)
        << QByteArray("\xFF\xFE[\0C\0l\0a\0v\0i\0t\0o\0n\0e\0]\0\n\0C\0h\0a\0n\0n\0e\0l\0=\0"
                      "5\0\n\0",
                      46);
}

// Zero characters in a document that is no UTF-16: no settings file. Neither
// read as empty nor given a second copy of its sections.
void TestIniDocument::whatIsNoTextFails() {
    const QByteArray binary("[Clavitone]\nChannel=7\n\0\x01\x02", 23);
    QVERIFY_THROWS_EXCEPTION(
        Failure, iniValue(binary, QStringLiteral("Clavitone"), QStringLiteral("Channel")));
    QVERIFY_THROWS_EXCEPTION(Failure, withIniValue(binary, QStringLiteral("Clavitone"),
                                                   QStringLiteral("Channel"), QStringLiteral("5")));
}

void TestIniDocument::editKeepsEveryOtherByte() {
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QCOMPARE(withIniValue(before, QStringLiteral("Clavitone"), QStringLiteral("Channel"),
                          QStringLiteral("5")),
             after);
}

void TestIniDocument::qsettingsReadsWhatWeWrite_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");

    QTest::newRow("digits") << QStringLiteral("Channel") << QStringLiteral("13");
    QTest::newRow("comma") << QStringLiteral("K") << QStringLiteral("7,5");
    QTest::newRow("blanks") << QStringLiteral("K") << QStringLiteral(" 7 ");
    QTest::newRow("escapes") << QStringLiteral("K")
                             << QStringLiteral("a\"b\\c\nd") + QChar(1) + QStringLiteral("F");
    QTest::newRow("leading at") << QStringLiteral("K") << QStringLiteral("@Variant(7)");
    QTest::newRow("non-latin") << QStringLiteral("K") << QStringLiteral("Flügel \u266B");
    QTest::newRow("symbols in key") << QStringLiteral("my key=%") << QStringLiteral("1");
}

void TestIniDocument::qsettingsReadsWhatWeWrite() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Kestrane.conf"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(withIniValue(QByteArray(), QStringLiteral("Clavitone"), key, text));
    file.close();

    QSettings reader(path, QSettings::IniFormat);
    QCOMPARE(reader.status(), QSettings::NoError);
    const QVariant value = reader.value(QStringLiteral("Clavitone/") + key);
    QCOMPARE(value.typeId(), QMetaType::QString);
    QCOMPARE(value.toString(), text);
}

void TestIniDocument::readsWhatQSettingsWrote() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("Kestrane.conf"));
    const QList<std::pair<QString, QString>> entries = {
        {QStringLiteral("Channel"), QStringLiteral("7")},
        {QStringLiteral("Comma"), QStringLiteral("7,5")},
        {QStringLiteral("Blanks"), QStringLiteral(" 7 ")},
        {QStringLiteral("At"), QStringLiteral("@home")},
        {QStringLiteral("Escapes"), QStringLiteral("a\"b\\c\nd\te")},
        {QStringLiteral("Key with blanks"), QStringLiteral("Flügel \u266B")},
    };
    {
        QSettings writer(path, QSettings::IniFormat);
        for (const auto& [key, text] : entries)
            writer.setValue(QStringLiteral("Clavitone/") + key, text);
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray document = file.readAll();
    for (const auto& [key, text] : entries)
        QCOMPARE(iniValue(document, QStringLiteral("Clavitone"), key), MaybeText(text));
}

QTEST_GUILESS_MAIN(TestIniDocument)
#include "test_ini_document.moc"
