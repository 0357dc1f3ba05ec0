#include "shell/NumberText.h"
#include "support/FailureOf.h"

#include <QLocale>
#include <QTest>

#include <limits>

class TestNumberText : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }
    void toInteger_data();
    void toInteger();
    void toText_data();
    void toText();
};

void TestNumberText::toInteger_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("number");      // when no failure
    QTest::addColumn<QString>("failure"); // the description, or empty

    const QString c = QStringLiteral("C");
    const QString none;
    const QString mismatch = QStringLiteral("Type mismatch");
    const QString overflow = QStringLiteral("Overflow");

    QTest::newRow("digits") << c << QStringLiteral("7") << 7 << none;
    QTest::newRow("blanks around") << c << QStringLiteral(" 7 ") << 7 << none;
    QTest::newRow("tabs around") << c << QStringLiteral("\t7\t") << 7 << none;
    QTest::newRow("half up to even") << c << QStringLiteral("7.5") << 8 << none;
    QTest::newRow("half down to even") << c << QStringLiteral("2.5") << 2 << none;
    QTest::newRow("half up to even again") << c << QStringLiteral("3.5") << 4 << none;
    QTest::newRow("below half") << c << QStringLiteral("2.49") << 2 << none;
    QTest::newRow("above half") << c << QStringLiteral("2.51") << 3 << none;
    QTest::newRow("negative half to even") << c << QStringLiteral("-2.5") << -2 << none;
    QTest::newRow("plus sign") << c << QStringLiteral("+12") << 12 << none;
    QTest::newRow("minus sign") << c << QStringLiteral("-12") << -12 << none;
    QTest::newRow("minus zero") << c << QStringLiteral("-0") << 0 << none;
    QTest::newRow("lowest") << c << QStringLiteral("-32768") << -32768 << none;
    QTest::newRow("highest") << c << QStringLiteral("32767") << 32767 << none;
    QTest::newRow("highest after rounding") << c << QStringLiteral("32767.4") << 32767 << none;
    QTest::newRow("lowest after rounding") << c << QStringLiteral("-32768.5") << -32768 << none;

    QTest::newRow("empty") << c << QString() << 0 << mismatch;
    QTest::newRow("only blanks") << c << QStringLiteral("   ") << 0 << mismatch;
    QTest::newRow("letters") << c << QStringLiteral("abc") << 0 << mismatch;
    QTest::newRow("number then letters") << c << QStringLiteral("7abc") << 0 << mismatch;
    QTest::newRow("two numbers") << c << QStringLiteral("7 5") << 0 << mismatch;
    QTest::newRow("sign alone") << c << QStringLiteral("-") << 0 << mismatch;
    QTest::newRow("infinity") << c << QStringLiteral("inf") << 0 << mismatch;
    QTest::newRow("negative infinity") << c << QStringLiteral("-inf") << 0 << mismatch;
    QTest::newRow("not a number") << c << QStringLiteral("nan") << 0 << mismatch;
    QTest::newRow("stored variant") << c << QStringLiteral("@Variant(7)") << 0 << mismatch;
    QTest::newRow("comma in C locale") << c << QStringLiteral("7,5") << 0 << mismatch;

    QTest::newRow("above range") << c << QStringLiteral("70000") << 0 << overflow;
    QTest::newRow("one above") << c << QStringLiteral("32768") << 0 << overflow;
    QTest::newRow("half above rounds up") << c << QStringLiteral("32767.5") << 0 << overflow;
    QTest::newRow("one below") << c << QStringLiteral("-32769") << 0 << overflow;
    QTest::newRow("huge") << c << QStringLiteral("1e300") << 0 << overflow;

    const QString de = QStringLiteral("de_DE");
    QTest::newRow("German comma") << de << QStringLiteral("7,5") << 8 << none;
    QTest::newRow("German comma to even") << de << QStringLiteral("-2,5") << -2 << none;
    QTest::newRow("German blanks") << de << QStringLiteral(" 7 ") << 7 << none;
    QTest::newRow("German empty") << de << QString() << 0 << mismatch;
    QTest::newRow("German overflow") << de << QStringLiteral("32767,5") << 0 << overflow;
}

void TestNumberText::toInteger() {
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, number);
    QFETCH(QString, failure);
    QLocale::setDefault(QLocale(locale));

    std::int16_t result = 0;
    const QString thrown = failureOf([&] { result = ToInteger(text); });
    QCOMPARE(thrown, failure);
    if (failure.isEmpty())
        QCOMPARE(int(result), number);
}

void TestNumberText::toText_data() {
    QTest::addColumn<qlonglong>("number");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("locale");

    QTest::newRow("zero") << 0LL << QStringLiteral("0") << QStringLiteral("C");
    QTest::newRow("channel") << 13LL << QStringLiteral("13") << QStringLiteral("C");
    QTest::newRow("negative") << -32768LL << QStringLiteral("-32768") << QStringLiteral("C");
    // Never the locale's grouping or signs.
    QTest::newRow("thousands in German")
        << 12345LL << QStringLiteral("12345") << QStringLiteral("de_DE");
    QTest::newRow("negative in Arabic") << -7LL << QStringLiteral("-7") << QStringLiteral("ar_EG");
}

void TestNumberText::toText() {
    QFETCH(qlonglong, number);
    QFETCH(QString, text);
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(ToText(number), text);
    QCOMPARE(int(ToInteger(ToText(number))), int(number));
}

QTEST_GUILESS_MAIN(TestNumberText)
#include "test_number_text.moc"
