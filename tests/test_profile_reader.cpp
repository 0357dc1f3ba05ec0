#include "shell/ProfileReader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QString Section = QStringLiteral("General MIDI");
const QString Default = QStringLiteral("<default>");

QString lookUpIn(const QString& path, const QString& key = QStringLiteral(" 0"),
                 const QString& section = Section, int maxLength = MaxProfileValueLength) {
    return readProfileString(path, section, key, Default, maxLength);
}

QByteArray gm(const QByteArray& entries) {
    return "[General MIDI]\n" + entries;
}

QString repeated(const QString& text, int times) {
    QString result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

} // namespace

class ProfileReaderTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString write(const QByteArray& content, const QString& name = QStringLiteral("PATCH.INI")) {
        const QString path = dir_.filePath(name);
        QFile::remove(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A sparse file: `head`, then zero bytes up to `size`, then `tail`.
    QString writeSparse(const QByteArray& head, qint64 size, const QByteArray& tail) {
        const QString path = write(head);
        QFile file(path);
        if (!file.open(QIODevice::ReadWrite) || !file.resize(size) || !file.seek(size) ||
            file.write(tail) != tail.size())
            qFatal("cannot grow %s", qPrintable(path));
        return path;
    }

private slots:
    void initTestCase() { QVERIFY(dir_.isValid()); }

    void findsValue_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        const QByteArray both = gm("0=Piano\n127=Gunshot\n");
        QTest::newRow("key 0") << both << Section << " 0"
                               << "Piano";
        QTest::newRow("key 127") << both << Section << " 127"
                                 << "Gunshot";
        QTest::newRow("key without sign blank") << both << Section << "127"
                                                << "Gunshot";
        QTest::newRow("key missing") << both << Section << " 5" << Default;
        QTest::newRow("leading zero is another key")
            << gm("00=Zero\n") << Section << " 0" << Default;
        QTest::newRow("section missing")
            << QByteArray("[Other]\n0=Piano\n") << Section << " 0" << Default;
        QTest::newRow("entry before any section")
            << QByteArray("0=Piano\n[General MIDI]\n") << Section << " 0" << Default;
        QTest::newRow("empty file") << QByteArray() << Section << " 0" << Default;
        QTest::newRow("lower-case header")
            << QByteArray("[general midi]\n0=Piano\n") << Section << " 0"
            << "Piano";
        QTest::newRow("section asked in other case")
            << QByteArray("[General MIDI]\nabc=Piano\n") << "GENERAL midi"
            << "ABC"
            << "Piano";
        QTest::newRow("blanks around names")
            << QByteArray("  [ \tGeneral MIDI  ]  \n \t 0 \t=\t Grand Piano \t \n") << Section
            << " 0"
            << "Grand Piano";
        QTest::newRow("blank inside section name matters")
            << QByteArray("[GeneralMIDI]\n0=Piano\n") << Section << " 0" << Default;
        QTest::newRow("no-break space is not a blank")
            << gm("0=\xC2\xA0Piano\n") << Section << " 0" << QStringLiteral(u"\u00A0Piano");
        QTest::newRow("text after closing bracket")
            << QByteArray("[General MIDI] ; names\n0=Piano\n") << Section << " 0"
            << "Piano";
        QTest::newRow("header without closing bracket")
            << QByteArray("[General MIDI\n0=Piano\n") << Section << " 0" << Default;
        QTest::newRow("broken header does not end the section")
            << gm("[Other\n0=Piano\n") << Section << " 0"
            << "Piano";
        QTest::newRow("other section ends it")
            << gm("1=One\n[Other]\n0=Piano\n") << Section << " 0" << Default;
        QTest::newRow("first entry wins") << gm("0=First\n0=Second\n") << Section << " 0"
                                          << "First";
        QTest::newRow("first section wins")
            << gm("0=First\n[General MIDI]\n0=Second\n") << Section << " 0"
            << "First";
        QTest::newRow("second section of the name is not read")
            << gm("1=One\n[Other]\n[general midi]\n0=Second\n") << Section << " 0" << Default;
        QTest::newRow("line without equals sign is no entry")
            << gm("0\n0=Piano\n") << Section << " 0"
            << "Piano";
        QTest::newRow("comment line") << gm(";0=Comment\n0=Piano\n") << Section << " 0"
                                      << "Piano";
        QTest::newRow("equals sign in value") << gm("0=a=b\n") << Section << " 0"
                                              << "a=b";
        QTest::newRow("empty value is not the default") << gm("0=\n") << Section << " 0"
                                                        << "";
        QTest::newRow("blank key asked") << gm("=Nameless\n") << Section << " " << Default;
        QTest::newRow("blank section asked") << QByteArray("[]\n0=Piano\n") << " "
                                             << " 0" << Default;
        QTest::newRow("value cut at zero byte")
            << gm(QByteArray("0=ab\0cd\n", 8)) << Section << " 0"
            << "ab";

        QTest::newRow("double quotes") << gm("0=\"Piano\"\n") << Section << " 0"
                                       << "Piano";
        QTest::newRow("single quotes") << gm("0='Piano'\n") << Section << " 0"
                                       << "Piano";
        QTest::newRow("blanks inside quotes kept") << gm("0=  \" Piano \"  \n") << Section << " 0"
                                                   << " Piano ";
        QTest::newRow("mixed quotes kept") << gm("0=\"Piano'\n") << Section << " 0"
                                           << "\"Piano'";
        QTest::newRow("lone quote kept") << gm("0=\"\n") << Section << " 0"
                                         << "\"";
        QTest::newRow("empty quotes") << gm("0=\"\"\n") << Section << " 0"
                                      << "";
        QTest::newRow("only the outer pair") << gm("0=\"a\"b\"\n") << Section << " 0"
                                             << "a\"b";
        QTest::newRow("inner quotes kept") << gm("0=Grand \"Piano\"\n") << Section << " 0"
                                           << "Grand \"Piano\"";

        QTest::newRow("CR LF") << QByteArray("[General MIDI]\r\n0=Piano\r\n1=x\r\n") << Section
                               << " 0"
                               << "Piano";
        QTest::newRow("no final line end") << gm("1=x\n0=Piano") << Section << " 0"
                                           << "Piano";
        QTest::newRow("no final line end, CR") << gm("0=Piano\r") << Section << " 0"
                                               << "Piano";
        QTest::newRow("byte order mark")
            << QByteArray("\xEF\xBB\xBF[General MIDI]\r\n0=Piano") << Section << " 0"
            << "Piano";
        QTest::newRow("byte order mark of a pasted file, Windows-1252 line")
            << gm("1=x\n\xEF\xBB\xBF"
                  "0=Caf\xE9\n")
            << Section << " 0" << QStringLiteral(u"Caf\u00E9");
        QTest::newRow("byte order mark inside a line is text")
            << gm("0=\xEF\xBB\xBFPiano\n") << Section << " 0" << QStringLiteral(u"\uFEFFPiano");

        QTest::newRow("UTF-8") << gm("0=Caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x8E\xB9\n") << Section
                               << " 0" << QStringLiteral(u"Caf\u00E9 \u20AC \U0001F3B9");
        QTest::newRow("Windows-1252") << gm("0=Caf\xE9 \x80 \x93q\x94 \x9F\n") << Section << " 0"
                                      << QStringLiteral(u"Caf\u00E9 \u20AC \u201Cq\u201D \u0178");
        QTest::newRow("Windows-1252 unassigned bytes")
            << gm("0=\x81\x8D\x8F\x90\x9D\n") << Section << " 0"
            << QStringLiteral(u"\u0081\u008D\u008F\u0090\u009D");
        QTest::newRow("each line decoded on its own")
            << gm("1=Caf\xC3\xA9\n0=Caf\xE9 Caf\xC3\xA9\n") << Section << " 0"
            << QStringLiteral(u"Caf\u00E9 Caf\u00C3\u00A9");
        QTest::newRow("overlong UTF-8 form is not UTF-8")
            << gm("0=\xC0\xAF\n") << Section << " 0" << QStringLiteral(u"\u00C0\u00AF");
        QTest::newRow("encoded surrogate is not UTF-8")
            << gm("0=\xED\xA0\x80\n") << Section << " 0" << QStringLiteral(u"\u00ED\u00A0\u20AC");
        QTest::newRow("beyond U+10FFFF is not UTF-8")
            << gm("0=\xF4\x90\x80\x80\n") << Section << " 0"
            << QStringLiteral(u"\u00F4\u0090\u20AC\u20AC");
        QTest::newRow("truncated UTF-8 at line end")
            << gm("0=ab\xE2\x82\n") << Section << " 0" << QStringLiteral(u"ab\u00E2\u201A");
        QTest::newRow("non-ASCII key matched by folding")
            << gm("k1=plain\n\xE2\x84\xAA=Kelvin sign\nk=plain\n") << Section << "K"
            << "Kelvin sign";
        QTest::newRow("many lines of other keys")
            << gm(QByteArray("1=x\n").repeated(5000) + "12=Twelve\n") << Section << "12"
            << "Twelve";
        QTest::newRow("non-ASCII key in either encoding")
            << QByteArray("[General MIDI]\nCAF\xC3\x89=utf\nCAF\xC9=ansi\n") << Section
            << QStringLiteral(u"caf\u00E9") << "utf";
    }

    void findsValue() {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);

        QCOMPARE(lookUpIn(write(file), key, section), expected);

        // The device form reads the same from wherever the device stands.
        QByteArray withPrefix = "skipped\n" + file;
        QBuffer buffer(&withPrefix);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        buffer.seek(8);
        QCOMPARE(readProfileString(buffer, section, key, Default, MaxProfileValueLength), expected);
    }

    void cutsLongValues_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("expected");

        const QString x300 = QString(300, u'x');
        QTest::newRow("300 characters") << x300 << MaxProfileValueLength << x300.left(254);
        QTest::newRow("254 characters")
            << x300.left(254) << MaxProfileValueLength << x300.left(254);
        QTest::newRow("255 characters")
            << x300.left(255) << MaxProfileValueLength << x300.left(254);
        QTest::newRow("quotes dropped before the cut")
            << "\"" + x300.left(254) + "\"" << MaxProfileValueLength << x300.left(254);
        QTest::newRow("blanks dropped before the cut")
            << "   " + x300.left(254) << MaxProfileValueLength << x300.left(254);
        QTest::newRow("non-ASCII counts characters")
            << repeated(QStringLiteral(u"\u00E9"), 300) << MaxProfileValueLength
            << repeated(QStringLiteral(u"\u00E9"), 254);
        const QString keys = repeated(QStringLiteral(u"\U0001F3B9"), 200);
        QTest::newRow("surrogate pairs, even cut")
            << keys << MaxProfileValueLength << keys.left(254);
        QTest::newRow("surrogate pairs, cut would split one")
            << "a" + keys << MaxProfileValueLength << "a" + keys.left(252);
        QTest::newRow("nothing wanted") << QStringLiteral("Piano") << 0 << "";
        QTest::newRow("one wanted, pair would split") << QStringLiteral(u"\U0001F3B9") << 1 << "";
    }

    void cutsLongValues() {
        QFETCH(QString, value);
        QFETCH(int, maxLength);
        QFETCH(QString, expected);
        const QString path = write(gm("0=" + value.toUtf8() + "\n"));
        QCOMPARE(lookUpIn(path, QStringLiteral(" 0"), Section, maxLength), expected);
    }

    // Lines longer than the reader looks at: the head counts, the rest is skipped.
    void overLongLines_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");

        const QByteArray huge(100 * 1024, 'x');
        QTest::newRow("long value") << gm("0=" + huge + "\n") << QString(254, u'x');
        QTest::newRow("long quoted value") << gm("0=\"" + huge + "\"  \n") << QString(254, u'x');
        QTest::newRow("long value with opening quote only")
            << gm("0=\"" + huge + "\n") << "\"" + QString(253, u'x');
        QTest::newRow("quoted value, then a long run of blanks")
            << gm("0=\"Piano\"" + QByteArray(100 * 1024, ' ') + "\r\n") << "Piano";
        QTest::newRow("long line before the entry") << gm("1=" + huge + "\n0=Piano\n") << "Piano";
        QTest::newRow("long line without line end") << gm("1=" + huge) << Default;
        QTest::newRow("long foreign header ends the section")
            << gm("1=a\n[" + huge + "]\n0=Piano\n") << Default;
        QTest::newRow("long bracket line without close is no header")
            << gm("1=a\n[" + huge + "\n0=Piano\n") << "Piano";
        QTest::newRow("long header of the section is not it")
            << QByteArray("[General MIDI" + huge + "]\n0=Piano\n") << Default;
        // The head ends inside a two-byte character; it is still UTF-8.
        QByteArray accents = "0=a";
        while (accents.size() < MaxProfileLineBytes + 1000)
            accents += "\xC3\xA9";
        QTest::newRow("head ends inside a character")
            << gm(accents + "\n") << "a" + repeated(QStringLiteral(u"\u00E9"), 253);
        QTest::newRow("line exactly at the cap")
            << gm("1=" + QByteArray(MaxProfileLineBytes - 2, 'y') + "\n0=Piano\n") << "Piano";
    }

    void overLongLines() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QCOMPARE(lookUpIn(write(file)), expected);
    }

    // A file of one 100 MB line, then the section: found, read through a
    // bounded buffer (the file is sparse, so it costs no disk).
    void hundredMegabyteLine() {
        const QString path =
            writeSparse("1=", 100LL * 1024 * 1024, "\n[General MIDI]\r\n0=After the long line\r\n");
        QCOMPARE(lookUpIn(path), QStringLiteral("After the long line"));
    }

    // The lookup stops at the first match: a 1 GB file whose entry comes first
    // is left almost unread.
    void stopsAtFirstMatch() {
        const QString path = writeSparse(gm("0=First\n"), 1LL << 30, "\n0=Last\n");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(
            readProfileString(file, Section, QStringLiteral(" 0"), Default, MaxProfileValueLength),
            QStringLiteral("First"));
        QVERIFY2(file.pos() < 1024 * 1024, qPrintable(QString::number(file.pos())));
    }

    void binaryFiles_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");

        QByteArray noise;
        quint32 state = 12345;
        for (int i = 0; i < 512 * 1024; ++i) {
            state = state * 1103515245u + 12345u;
            noise += static_cast<char>(state >> 24);
        }
        noise.replace("General", "Xeneral"); // no accidental match
        QTest::newRow("noise") << noise << Default;
        QTest::newRow("noise, then the section") << noise + "\n[General MIDI]\n0=Piano\n"
                                                 << "Piano";
        QTest::newRow("zero bytes") << QByteArray(100000, '\0') << Default;
        const QString utf16 = QStringLiteral("[General MIDI]\r\n0=Piano\r\n");
        QTest::newRow("UTF-16 text")
            << QByteArray("\xFF\xFE") +
                   QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2)
            << Default;
    }

    void binaryFiles() {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QCOMPARE(lookUpIn(write(file)), expected);
    }

    void notAFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty path") << "empty path";
        QTest::newRow("directory") << "directory";
#ifdef Q_OS_WIN
        // Windows keeps pipes and devices out of folders, and a file's
        // permissions do not stop its owner; a file another program holds
        // open without sharing is what cannot be read there.
        QTest::newRow("held without sharing") << "held without sharing";
#else
        QTest::newRow("named pipe") << "named pipe";
        QTest::newRow("link to endless device") << "link to endless device";
        QTest::newRow("unreadable") << "unreadable";
#endif
    }

    // Each gives the default at once: nothing blocks, nothing reads forever.
    void notAFile() {
        QFETCH(QString, kind);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString path = folder.filePath(QStringLiteral("PATCH.INI"));
        const QByteArray local = QFile::encodeName(path);
        if (kind == u"empty path") {
            QCOMPARE(lookUpIn(QString()), Default);
            return;
        }
        if (kind == u"directory") {
            QVERIFY(QDir().mkdir(path));
#ifdef Q_OS_WIN
        } else if (kind == u"held without sharing") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(gm("0=Piano\n"));
            file.close();
            const HANDLE held =
                CreateFileW(reinterpret_cast<const wchar_t*>(path.utf16()), GENERIC_READ, 0,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            QVERIFY(held != INVALID_HANDLE_VALUE);
            const QString found = lookUpIn(path);
            CloseHandle(held);
            QCOMPARE(found, Default);
            QCOMPARE(lookUpIn(path), QStringLiteral("Piano")); // readable once let go
            return;
#else
        } else if (kind == u"named pipe") {
            QCOMPARE(::mkfifo(local.constData(), 0600), 0);
        } else if (kind == u"link to endless device") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == u"unreadable") {
            if (::geteuid() == 0)
                QSKIP("running as root, where a file without permissions is still readable");
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(gm("0=Piano\n"));
            file.close();
            QVERIFY(file.setPermissions(QFileDevice::Permissions()));
#endif
        }
        QCOMPARE(lookUpIn(path), Default);
    }
};

QTEST_GUILESS_MAIN(ProfileReaderTest)
#include "test_profile_reader.moc"
