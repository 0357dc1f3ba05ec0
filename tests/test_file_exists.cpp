#include "shell/FileExists.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestFileExists : public QObject {
    Q_OBJECT

private slots:
    void answersWithoutFailing_data() {
        QTest::addColumn<QString>("relative"); // below a temporary folder; "" for none
        QTest::addColumn<QString>("path");     // used when relative is ""
        QTest::addColumn<bool>("create");
        QTest::addColumn<bool>("exists");
        QTest::newRow("existing file") << "HAND-M.CUR" << QString() << true << true;
        QTest::newRow("odd characters, existing")
            << "h\u00e4nd #%&'().cur" << QString() << true << true;
        QTest::newRow("missing file") << "HAND-M.CUR" << QString() << false << false;
        QTest::newRow("file in a missing folder")
            << "no such folder/HAND-M.CUR" << QString() << false << false;
        QTest::newRow("a file taken for a folder")
            << "plain.txt/HAND-M.CUR" << QString() << false << false;
        QTest::newRow("characters Windows forbids")
            << "<>:\"|?*.cur" << QString() << false << false;
        QTest::newRow("empty path") << QString() << QString() << false << false;
        QTest::newRow("NUL inside the path")
            << QString() << QStringLiteral("/tmp") + QChar(0) + "HAND-M.CUR" << false << false;
        QTest::newRow("lone surrogate")
            << QString() << QStringLiteral("/tmp/") + QChar(0xD800) + ".cur" << false << false;
        QTest::newRow("very long path") << QString(5000, 'a') << QString() << false << false;
    }
    void answersWithoutFailing() {
        QFETCH(QString, relative);
        QFETCH(QString, path);
        QFETCH(bool, create);
        QFETCH(bool, exists);
        QTemporaryDir folder;
        {
            QFile plain(folder.filePath(QStringLiteral("plain.txt")));
            QVERIFY(plain.open(QIODevice::WriteOnly));
        }
        const QString target = relative.isEmpty() ? path : folder.filePath(relative);
        if (create) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("x");
        }
        QCOMPARE(FileExists(target), exists);
    }
};

QTEST_MAIN(TestFileExists)
#include "test_file_exists.moc"
