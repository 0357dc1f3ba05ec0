#include "appearance/AppTitle.h"

#include <QGuiApplication>
#include <QTest>

class TestAppTitle : public QObject {
    Q_OBJECT

private slots:
    void cutsByWholeWords_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::newRow("the product name") << "Clavitone"
                                          << "Clavitone";
        QTest::newRow("55 characters, three cuts")
            << "one two three four five six seven eight nine ten eleven"
            << "one two three four five six seven eight";
        const QString forty = QStringLiteral("abcdefghij klmnopqrst uvwxyzabcd efghijk");
        QTest::newRow("exactly 40") << forty << forty;
        QVERIFY(forty.size() == MaxAppTitleLength);
        QTest::newRow("41, cut at the last blank") << forty + "n"
                                                   << "abcdefghij klmnopqrst uvwxyzabcd";
        QTest::newRow("trailing blank past 40") << QString(40, 'x') + " " << QString(40, 'x');
        QTest::newRow("one cut is enough") << QString(39, 'y') + " tail" << QString(39, 'y');
        QTest::newRow("only a leading blank") << " " + QString(45, 'z') << QString();
        // A long word without a blank cannot be cut by words: it is cut at 40
        // instead of being left too long.
        QTest::newRow("no blank at all") << QString(55, 'w') << QString(40, 'w');
        QTest::newRow("no blank left after a cut") << QString(50, 'v') + " end" << QString(40, 'v');
        QTest::newRow("empty") << QString() << QString();
    }
    void cutsByWholeWords() {
        QFETCH(QString, text);
        QFETCH(QString, title);
        const QString cut = cutAppTitle(text);
        QCOMPARE(cut, title);
        QVERIFY(cut.size() <= MaxAppTitleLength);
    }

    void becomesTheApplicationTitle() {
        SetAppTitle(QStringLiteral("one two three four five six seven eight nine ten eleven"));
        QCOMPARE(QGuiApplication::applicationDisplayName(),
                 QStringLiteral("one two three four five six seven eight"));
        SetAppTitle();
        QCOMPARE(QGuiApplication::applicationDisplayName(), QStringLiteral("Clavitone"));
    }
};

QTEST_MAIN(TestAppTitle)
#include "test_app_title.moc"
