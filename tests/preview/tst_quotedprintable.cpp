#include "preview/QuotedPrintable.h"

#include <QTest>

class TestQuotedPrintable : public QObject
{
    Q_OBJECT
private slots:
    void decoded_data();
    void decoded();
};

void TestQuotedPrintable::decoded_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    const QString same = QStringLiteral("<unchanged>");
    QTest::newRow("no escapes") << QStringLiteral("<b>plain</b>") << QStringLiteral("<b>plain</b>");
    QTest::newRow("equals sign") << QStringLiteral("a=3Db") << QStringLiteral("a=b");
    QTest::newRow("two bytes, one character") << QStringLiteral("caf=C3=A9!") << QStringLiteral("café!");
    QTest::newRow("lower-case digits") << QStringLiteral("caf=c3=a9") << QStringLiteral("café");
    QTest::newRow("four bytes") << QStringLiteral("=F0=9F=98=80") << QStringLiteral("\U0001F600");
    QTest::newRow("plus and one digit") << QStringLiteral("a=+Ab") << QStringLiteral("a\nb");
    QTest::newRow("minus zero") << QStringLiteral("a=-0b") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    QTest::newRow("width=100 in decodable text")
        << QStringLiteral("<td width=100>caf=C3=A9</td>")
        << QStringLiteral("<td width") + QChar(0x10) + QStringLiteral("0>café</td>");
    QTest::newRow("U+FEFF starting a run") << QStringLiteral("a=EF=BB=BFb") << QStringLiteral("a\uFEFFb");
    QTest::newRow("U+FEFF inside a run") << QStringLiteral("=61=EF=BB=BFb") << QStringLiteral("a\uFEFFb");
    QTest::newRow("wide characters before an escape")
        << QStringLiteral("\U0001F600 caf=C3=A9") << QStringLiteral("\U0001F600 café");

    // All or nothing: each of these leaves the whole text as given.
    QTest::newRow("quoted attribute") << QStringLiteral("<p class=\"x\">caf=C3=A9</p>") << same;
    QTest::newRow("lone byte not UTF-8") << QStringLiteral("caf=E9") << same;
    QTest::newRow("run split by a space") << QStringLiteral("=C3 =A9") << same;
    QTest::newRow("valid run then invalid run") << QStringLiteral("=C3=A9 and =FF") << same;
    QTest::newRow("overlong encoding") << QStringLiteral("=C0=AF") << same;
    QTest::newRow("encoded surrogate") << QStringLiteral("=ED=A0=80") << same;
    QTest::newRow("trailing equals sign") << QStringLiteral("caf=C3=A9=") << same;
    QTest::newRow("one character left") << QStringLiteral("x=4") << same;
    QTest::newRow("minus one") << QStringLiteral("a=-1b") << same;
    QTest::newRow("plus non-digit") << QStringLiteral("a=+Gb") << same;
    QTest::newRow("non-ASCII after equals") << QStringLiteral("=\u00e9A") << same;
    QTest::newRow("wide character after equals") << QStringLiteral("=\U0001F600") << same;
    // "4" with a combining accent is one character, and not a digit.
    QTest::newRow("combining mark on digit") << QStringLiteral("a=+4\u0301") << same;
    QTest::newRow("CR LF is one character") << QStringLiteral("a=\r\nb") << same;
}

void TestQuotedPrintable::decoded()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    if (expected == QLatin1String("<unchanged>"))
        expected = text;
    QCOMPARE(QuotedPrintable::decodedFromQuotedPrintable(text), expected);
}

QTEST_APPLESS_MAIN(TestQuotedPrintable)
#include "tst_quotedprintable.moc"
