#include "store/SignatureFileFormat.h"

#include <QTest>

class TestSignatureFileFormat : public QObject
{
    Q_OBJECT
private slots:
    void split_data();
    void split();
    void roundTrip_data();
    void roundTrip();
    void decodeUtf8();
};

void TestSignatureFileFormat::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("splits");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("html");

    QTest::newRow("header and html") << "H: 1\nH: 2\n\n<body>x</body>" << true << "H: 1\nH: 2" << "<body>x</body>";
    QTest::newRow("plain text body") << "H: 1\n\nplain text" << true << "H: 1" << "plain text";
    QTest::newRow("starts with blank line") << "\n\n<b>x</b>" << true << "" << "<b>x</b>";
    QTest::newRow("three line feeds") << "H\n\n\n<b>" << true << "H\n" << "<b>";
    QTest::newRow("blank line and tag inside body") << "H\n\n<p>a</p>\n\n<p>b</p>" << false << "" << "";
    QTest::newRow("one tag split, text blank line too") << "H\n\n<p>a\n\nb</p>" << true << "H" << "<p>a\n\nb</p>";
    QTest::newRow("crlf line ends") << "H\r\n\r\n<b>x</b>" << false << "" << "";
    QTest::newRow("no blank line") << "H\n<b>x</b>" << false << "" << "";
    QTest::newRow("two plain blank lines") << "H\n\na\n\nb" << false << "" << "";
    QTest::newRow("ends with blank line") << "H\n\n" << true << "H" << "";
    QTest::newRow("empty") << "" << false << "" << "";
    QTest::newRow("non-ascii kept") << "H: \u00e9\n\n<b>\u20ac \U0001F600</b>" << true << "H: \u00e9"
                                    << "<b>\u20ac \U0001F600</b>";
}

void TestSignatureFileFormat::split()
{
    QFETCH(QString, text);
    QFETCH(bool, splits);
    QFETCH(QString, header);
    QFETCH(QString, html);
    const std::optional<AppleSignatureContent> content = SignatureFileFormat::split(text);
    QCOMPARE(content.has_value(), splits);
    if (content) {
        QCOMPARE(content->header, header);
        QCOMPARE(content->htmlContent, html);
    }
}

void TestSignatureFileFormat::roundTrip_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("html");
    QTest::addColumn<bool>("same");
    QTest::newRow("mail header") << "Content-Type: text/html;\n\tcharset=utf-8" << "<div>x</div>" << true;
    QTest::newRow("empty header") << "" << "<div>x</div>" << true;
    QTest::newRow("html with blank line, no tag after") << "H" << "<p>a\n\nb</p>" << true;
    QTest::newRow("html with blank line before tag") << "H" << "<p>a</p>\n\n<p>b</p>" << false;
    QTest::newRow("empty html") << "H" << "" << true;
}

void TestSignatureFileFormat::roundTrip()
{
    QFETCH(QString, header);
    QFETCH(QString, html);
    QFETCH(bool, same);
    const QString composed = SignatureFileFormat::compose(header, html);
    QCOMPARE(composed, header + QStringLiteral("\n\n") + html);
    const auto back = SignatureFileFormat::split(composed);
    QCOMPARE(back.has_value() && back->header == header && back->htmlContent == html, same);
}

void TestSignatureFileFormat::decodeUtf8()
{
    QCOMPARE(SignatureFileFormat::decodeUtf8("caf\xc3\xa9"), std::optional(QStringLiteral("caf\u00e9")));
    QVERIFY(!SignatureFileFormat::decodeUtf8("caf\xe9"));
    QVERIFY(!SignatureFileFormat::decodeUtf8("\xc3"));         // truncated sequence
    QVERIFY(!SignatureFileFormat::decodeUtf8("\xed\xa0\x80")); // encoded surrogate
    QCOMPARE(SignatureFileFormat::decodeUtf8(QByteArray()), std::optional(QString()));
    // A byte-order mark stays, so the header is written back byte for byte.
    QCOMPARE(SignatureFileFormat::decodeUtf8("\xef\xbb\xbfH")->toUtf8(), QByteArray("\xef\xbb\xbfH"));
}

QTEST_GUILESS_MAIN(TestSignatureFileFormat)
#include "tst_signaturefileformat.moc"
